// The root of the script object model (GlobalVornMain), the report object and the
// utility function object.
#pragma once
#include "scripting/Impl_VornCollection.h"

#include <QObject>
#include <memory>

class TParamAskMeList;
class TVornParams;
class TVornFunction;

class TVornort : public TVornObject
{
public:
    // Made from the current row of the catalogue's report list; builds the report's
    // parameter list with every starting value applied.
    TVornort(int id, int numm, const QString &name, int idDestination, int idTypExec, const QString &description);
    ~TVornort() override;
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornort"); }

    const int Id, Numm;
    const QString Name;
    const int IdDestination, IdTypExec;
    const QString Description;

    vorn::Variant Params();
    void RunEx(int destination, int execType, const QString &fileName);
    bool AskParams();
    vorn::Variant Querys();
    TParamAskMeList *ParamList() const { return m_params.get(); }

private:
    std::shared_ptr<TParamAskMeList> m_params;      // owned; parameter objects watch it
    vorn::ObjectPtr<TVornParams> m_paramsObject;    // made on first use
    std::unique_ptr<QObject> m_form;                // hidden owner of the report's datasets
};

class TVornMain : public TVornObject
{
public:
    TVornMain();
    ~TVornMain() override;
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornMain"); }

    vorn::Variant Report(const vorn::Variant &index);
    vorn::Variant Functions();

private:
    vorn::ObjectPtr<TVornort> m_lastReport;         // the one handed out last
    vorn::ObjectPtr<TVornFunction> m_functions;     // made on first use
};

// The utility functions scripts reach as GlobalVornMain.Functions.
class TVornFunction : public TVornObject
{
public:
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornFunction"); }

    vorn::Variant OpenQuery(const QString &sql, const vorn::Variant &params);
    void ExecuteSQL(const QString &sql, const vorn::Variant &params);
    int MessageBox(const QString &text, int flags, const QString &caption);
};
