// The catalogue data module TdmVorn: the shared catalogue lists with their sort keys,
// the report row, the session values (login, full name, administrator flag, parameter
// prefix), the action log, the run context, and the data-access helpers all windows use.
#pragma once
#include "database/VornMessages.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <exception>

namespace vorn {
class Database;
class Dataset;
class DataSource;
class ParamList;
class Query;
}
class TParamAskMeList;
class TQueryList;

// A silent abort of the calling operation (the user chose Cancel).
class EAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

class TdmVorn : public QObject
{
    Q_OBJECT
public:
    explicit TdmVorn(QObject *parent = nullptr);
    ~TdmVorn() override;

    // Catalogue lists (read-only) and the live report row.
    vorn::Query *qGroup, *qGrpBody, *qForm, *qQuery, *qRemoteData, *qScript, *qImports;
    vorn::Query *qFrm2Qry, *qQueryParam, *qRemoteDataParam;
    vorn::Query *qFrmRep, *qScriptBody, *qImportsBody, *qScrEng, *qTypObj, *qMSservers;
    vorn::DataSource *dsGroup, *dsForm;

    int CatalogueSortKey = 0;          // 0 by Numm, 1 by name, 2 by Id
    QString SortClause(vorn::Query *list) const;  // "ORDER BY ..." for a sorted list, "" otherwise
    void OpenSorted(vorn::Query *list);            // re-sorts and (re)opens keeping the position

    // Run context, set by a report run for its duration.
    TParamAskMeList *RunParams = nullptr;
    TQueryList *RunQueries = nullptr;
    QString RunCaption;
    void ClearRunContext();

    // Session values.
    QString LoginName() const;
    QString UserFullName();
    void ForgetUserFullName() { m_fullNameCached = false; m_fullName.clear(); }
    bool IsAdmin(bool refresh = false);
    void ReadParamPrefix();
    QString ParamPrefix;               // put before every procedure parameter name
    void LogAction(int idAction, int valueId, const QString &name);
    static QString ProgramName();
    static QString ComputerName();

    void CloseAll();                   // closes every list (the connection closes)

private:
    vorn::Query *makeQuery(const char *name, const QString &sql);

    QString m_fullName;                // cached until disconnect
    bool m_fullNameCached = false;
    bool m_isAdmin = false;            // last value obtained
    bool m_isAdminKnown = false;       // a value was obtained
};

// The program's data module (created first at start-up).
TdmVorn *dmVorn();

// Data access on the default connection.
void ExecSql(const QString &sql);
QVariant SelectValue(const QString &sql);
// Calls a catalogue procedure; names in params already carry ParamPrefix.
void ExecCatalogueProc(const QString &procName, vorn::ParamList &params);
void ReopenKeepingPosition(vorn::Dataset *ds, const QString &newSql = QString());
void OpenFormDataSets(QObject *window);
void SetOrderBy(vorn::Dataset *ds, const QString &orderBy);
// Yes posts, No cancels, Cancel throws EAbort; an unmodified edit is cancelled.
void ConfirmSaveChanges(vorn::Dataset *ds);
// The text as a string literal for built SQL, embedded quotes doubled (N'...' on SQL Server).
QString QuotedSql(const QString &text);
