// The catalogue procedure operations: one call per procedure, parameter names with
// ParamPrefix, inputs in order then the integer output, which is returned.
#pragma once
#include <QString>

int CatGrpAdd(const QString &grpName);
void CatGrpDel(int idGrp);
// A new report whose first source is the query idQuery or, when that is 0, the data
// module idRemoteData (both 0: no source); ids of the two kinds overlap.
int CatFormAdd(const QString &name, int idQuery, int idRemoteData = 0);
void CatFormDel(int idForm);
int CatFrm2QryNumm(int idForm);
int CatQueryAdd(const QString &name, int idForm);
void CatQueryDel(int idQuery);
int CatScriptAdd(const QString &name);
void CatScriptDel(int idScript);
int CatRemoteDataAdd(const QString &name);
void CatRemoteDataDel(int idRemoteData);
int CatParamAdd(const QString &parName, int idQuery, int idRemoteData);
void CatParamDel(int idParam);          // a statement, no procedure
void CatParamsCopy(int oldIdQuery, int oldIdParam, int newIdQuery);

int CatFormNumm();
int CatQueryNumm();
int CatRemoteDataNumm();
int CatScriptNumm();
int CatGrpNumm();
int CatImportsNumm();
int CatParamNumm(int idQuery, int idRemoteData);
