// A record of the calls the catalogue makes into windows and runs of other subsystems
// (editors' ShowItem, report runs, script runs), so that tests can see which entry
// point an action reached and with which arguments. Costs nothing when no one listens.
#pragma once
#include <QString>
#include <QVariantList>
#include <functional>

// entry: "Class::Method" or the function name; args: the arguments in call order.
using TEntryTracer = std::function<void(const QString &entry, const QVariantList &args)>;
TEntryTracer SetEntryTracer(TEntryTracer tracer);  // returns the previous one
void TraceEntry(const QString &entry, const QVariantList &args);
