// Boxes the script or the host would show are written out instead: errors to
// standard error (and the exit code says so), everything else to standard output.
#include "tools/vornscript/CatalogueScript.h"

#include "scripting/fVornActScpSite.h"
#include "tools/ToolCatalogue.h"

#include <cstdio>

int runCatalogueScript(const CatalogueScriptJob &job)
{
    bool failed = false;
    SetMessageAnswerer([&](const TMsgRequest &r) {
        const bool error = r.kind == TMsgKind::Error;
        failed = failed || error;
        std::fprintf(error ? stderr : stdout, "%s\n", qPrintable(r.text));
        std::fflush(error ? stderr : stdout);
        return TMsgButton(r.buttons & -r.buttons);
    });
    TToolCatalogue cat;
    if (!cat.Connect(job.iniFile, job.profile, job.login, job.password))
        return 1;
    int rc = 0;
    try {
        cat.dm->ReadParamPrefix();
        if (SelectValue(QStringLiteral("select Id from VornScript where Id=") + QString::number(job.scriptId)).isNull()) {
            std::fprintf(stderr, "vornscript: no script with Id %d\n", job.scriptId);
            return 1;
        }
        RunStoredScript(job.scriptId);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vornscript: %s\n", e.what());
        rc = 1;
    }
    cat.db.close();
    return rc != 0 || failed ? 1 : 0;
}
