#include "catalogue/VornCatProcs.h"

#include "database/dmdVorn.h"
#include "platform/data/Param.h"

#include <initializer_list>
#include <utility>

namespace {

struct In
{
    const char *name;
    QVariant value;  // QString → string input, int → integer input
};

// Runs one procedure: inputs in the given order, then the output (when named).
int call(const char *proc, std::initializer_list<In> inputs, const char *output)
{
    const QString prefix = dmVorn() ? dmVorn()->ParamPrefix : QString();
    vorn::ParamList params;
    for (const In &in : inputs) {
        vorn::Param &p = params.add(vorn::Param(prefix + QLatin1String(in.name)));
        if (in.value.typeId() == QMetaType::QString)
            p.setAsString(in.value.toString());
        else
            p.setAsInteger(in.value.toLongLong());
    }
    if (output)
        params.add(vorn::Param(prefix + QLatin1String(output), vorn::ftInteger, vorn::ParamDirection::Output));
    ExecCatalogueProc(QLatin1String(proc), params);
    return output ? params[params.count() - 1].value().toInt() : 0;
}

} // namespace

int CatGrpAdd(const QString &grpName) { return call("spVornGrpAdd", {{"GrpName", grpName}}, "IdGrp"); }
void CatGrpDel(int idGrp) { call("spVornGrpDel", {{"IdGrp", idGrp}}, nullptr); }
int CatFormAdd(const QString &name, int idQuery, int idRemoteData)
{
    return call("spVornFormAdd", {{"Name", name}, {"IdQuery", idQuery}, {"IdRemoteData", idRemoteData}}, "IdForm");
}
void CatFormDel(int idForm) { call("spVornFormDel", {{"IdForm", idForm}}, nullptr); }
int CatFrm2QryNumm(int idForm) { return call("spVornFrm2QryNumm", {{"IdForm", idForm}}, "Numm"); }
int CatQueryAdd(const QString &name, int idForm) { return call("spVornQueryAdd", {{"Name", name}, {"IdForm", idForm}}, "IdQuery"); }
void CatQueryDel(int idQuery) { call("spVornQueryDel", {{"IdQuery", idQuery}}, nullptr); }
int CatScriptAdd(const QString &name) { return call("spVornScriptAdd", {{"Name", name}}, "IdScript"); }
void CatScriptDel(int idScript) { call("spVornScriptDel", {{"IdScript", idScript}}, nullptr); }
int CatRemoteDataAdd(const QString &name) { return call("spVornRemoteDataAdd", {{"Name", name}}, "IdRemoteData"); }
void CatRemoteDataDel(int idRemoteData) { call("spVornRemoteDataDel", {{"IdRemoteData", idRemoteData}}, nullptr); }
int CatParamAdd(const QString &parName, int idQuery, int idRemoteData)
{
    return call("spVornParamAdd", {{"ParName", parName}, {"IdQuery", idQuery}, {"IdRemoteData", idRemoteData}}, "IdParam");
}
void CatParamDel(int idParam) { ExecSql(QStringLiteral("Delete from VornParam where Id=") + QString::number(idParam)); }
void CatParamsCopy(int oldIdQuery, int oldIdParam, int newIdQuery)
{
    call("spVornParamsCopy", {{"OldIdQuery", oldIdQuery}, {"OldIdParam", oldIdParam}, {"NewIdQuery", newIdQuery}}, nullptr);
}

int CatFormNumm() { return call("spVornFormNumm", {}, "Numm"); }
int CatQueryNumm() { return call("spVornQueryNumm", {}, "Numm"); }
int CatRemoteDataNumm() { return call("spVornRemoteDataNumm", {}, "Numm"); }
int CatScriptNumm() { return call("spVornScriptNumm", {}, "Numm"); }
int CatGrpNumm() { return call("spVornGrpNumm", {}, "Numm"); }
int CatImportsNumm() { return call("spVornImportsNumm", {}, "Numm"); }
int CatParamNumm(int idQuery, int idRemoteData)
{
    return call("spVornParamNumm", {{"IdQuery", idQuery}, {"IdRemoteData", idRemoteData}}, "Numm");
}
