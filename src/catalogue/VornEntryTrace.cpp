// The entry-call tracer: one replaceable listener for the whole program.
#include "catalogue/VornEntryTrace.h"

static TEntryTracer &tracer()
{
    static TEntryTracer t;
    return t;
}

TEntryTracer SetEntryTracer(TEntryTracer t)
{
    TEntryTracer old = tracer();
    tracer() = std::move(t);
    return old;
}

void TraceEntry(const QString &entry, const QVariantList &args)
{
    if (tracer())
        tracer()(entry, args);
}
