// Remote data modules: the "GetData" call carried as an HTTP POST of JSON to the
// module's computer and port, and the flat result array decoded into a memory table.
#pragma once
#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QUrl>
#include <QVariantList>

class TQueryListItem;
class TParamAskMeList;
namespace vorn {
class MemoryTable;
}

// The request body: ProgID, class id and the six arguments of "GetData".
QByteArray RemoteRequestBody(const TQueryListItem &item, const QJsonValue &params, const QString &server,
                             const QString &database, const QString &user, const QString &password);
// The parameter argument: null for no parameters, else [[ParName, Value], ...]
// (the array positions stand for the indices 1..n of the original).
QJsonValue RemoteParamArgument(const TParamAskMeList *params);
// Where the module answers: http://ComputerName:Port/GetData, or ComputerName itself
// when it is written as a URL ("https://host:port").
QUrl RemoteModuleUrl(const TQueryListItem &item);
// The database password travels only where nobody can read it on the way: to an
// https address or to this computer (loopback). Elsewhere the argument is empty.
bool RemoteUrlMayCarryPassword(const QUrl &url);
// The largest answer accepted, in bytes: VORN_GETDATA_MAX_MB megabytes (default 200).
qint64 RemoteAnswerLimit();
// Posts the request and returns the result array; raises the server's or the
// transport's error text, and refuses an answer larger than maxBytes (0: no limit).
// In a program with windows a progress box with "Отмена" lets the user stop waiting.
QJsonArray CallRemoteGetData(const TQueryListItem &item, const QByteArray &body, int timeoutMs = 30000,
                             qint64 maxBytes = RemoteAnswerLimit());
// Fills an empty memory table from the result (element 1 = array position 0):
// N columns, types and names, then R rows of N values. A short or malformed array,
// and values that do not make whole rows, raise a clear error and leave the table
// closed. An integer column holding a value its type cannot (beyond 32 bits, or with
// a fraction) becomes a 64-bit or floating column, so no value is cut.
void DecodeRemoteResult(const QJsonArray &result, vorn::MemoryTable *table);
