// Remote data modules: the "GetData" call carried as an HTTP POST of JSON to the
// module's computer and port, and the flat result array decoded into a memory table.
#pragma once
#include <QJsonArray>
#include <QJsonValue>
#include <QString>
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
// Posts the request and returns the result array; raises the server's or the
// transport's error text.
QJsonArray CallRemoteGetData(const TQueryListItem &item, const QByteArray &body, int timeoutMs = 30000);
// Fills an empty memory table from the result (element 1 = array position 0):
// N columns, types and names, then R rows of N values. A short or malformed array
// raises a clear error and leaves the table closed.
void DecodeRemoteResult(const QJsonArray &result, vorn::MemoryTable *table);
