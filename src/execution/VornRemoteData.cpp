// FetchRemoteData over HTTP: the module server answers {"result": [...]} with the
// flat array "GetData" returns, or {"error": "..."}. Every index into the array is
// checked against its length before it is read.
#include "execution/VornRemoteData.h"

#include "execution/ParamAskMe.h"
#include "execution/VornRun.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <cmath>

using vorn::DataError;

QJsonValue RemoteParamArgument(const TParamAskMeList *params)
{
    if (!params || params->Count() == 0)
        return QJsonValue(QJsonValue::Null);
    QJsonArray arr;
    for (int i = 0; i < params->Count(); ++i) {
        const TParamAskMe *p = params->Items(i);
        QJsonValue v;
        switch (p->Value.typeId()) {
        case QMetaType::QDate: v = p->Value.toDate().toString(Qt::ISODate); break;
        case QMetaType::QDateTime: v = p->Value.toDateTime().toString(Qt::ISODate); break;
        default: v = QJsonValue::fromVariant(p->Value); break;
        }
        arr.append(QJsonArray{p->ParName, v});
    }
    return arr;
}

QByteArray RemoteRequestBody(const TQueryListItem &item, const QJsonValue &params, const QString &server,
                             const QString &database, const QString &user, const QString &password)
{
    QJsonObject o;
    o.insert(QStringLiteral("ProgID"), item.ServerName);
    o.insert(QStringLiteral("GUID"), item.ServerGUID);
    o.insert(QStringLiteral("Method"), QStringLiteral("GetData"));
    o.insert(QStringLiteral("Args"), QJsonArray{params, QJsonValue(QJsonValue::Null), server, database, user, password});
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonArray CallRemoteGetData(const TQueryListItem &item, const QByteArray &body, int timeoutMs)
{
    const QString host = item.ComputerName.isEmpty() ? QStringLiteral("localhost") : item.ComputerName;
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPort(item.Port > 0 ? item.Port : 80);
    url.setPath(QStringLiteral("/GetData"));
    QNetworkAccessManager nam;
    QNetworkRequest req(url);
    req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = nam.post(req, body);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QString where = QStringLiteral("%1 (%2:%3)").arg(item.ServerName, host).arg(url.port());
    if (!reply->isFinished()) {
        reply->abort();
        reply->deleteLater();
        throw DataError(QStringLiteral("Модуль данных %1 не ответил").arg(where));
    }
    const QByteArray data = reply->readAll();
    const QNetworkReply::NetworkError netError = reply->error();
    const QString netText = reply->errorString();
    reply->deleteLater();
    QJsonParseError pe{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &pe);
    if (doc.isObject() && doc.object().contains(QStringLiteral("error")))
        throw DataError(QStringLiteral("Модуль данных %1: %2").arg(where, doc.object().value(QStringLiteral("error")).toString()));
    if (netError != QNetworkReply::NoError)
        throw DataError(QStringLiteral("Модуль данных %1: %2").arg(where, netText));
    if (pe.error != QJsonParseError::NoError || !doc.isObject() || !doc.object().value(QStringLiteral("result")).isArray())
        throw DataError(QStringLiteral("Модуль данных %1 вернул не массив GetData").arg(where));
    return doc.object().value(QStringLiteral("result")).toArray();
}

void DecodeRemoteResult(const QJsonArray &result, vorn::MemoryTable *table)
{
    auto bad = [](const QString &why) { return DataError(QStringLiteral("Неверный результат GetData: ") + why); };
    const qsizetype h = result.size();  // the upper bound H of the 1-based array
    auto at = [&](qsizetype index1) -> QJsonValue {  // element by its 1-based index
        if (index1 < 1 || index1 > h)
            throw bad(QStringLiteral("нет элемента %1 (всего %2)").arg(index1).arg(h));
        return result.at(index1 - 1);
    };
    if (h < 1 || !at(1).isDouble())
        throw bad(QStringLiteral("первый элемент должен быть числом столбцов"));
    const double nd = at(1).toDouble();
    if (nd < 1 || nd != std::floor(nd) || nd > 10000)
        throw bad(QStringLiteral("число столбцов %1").arg(nd));
    const int n = int(nd);
    if (h < 2 + 2 * qsizetype(n))
        throw bad(QStringLiteral("описаны не все %1 столбцов").arg(n));
    QList<vorn::FieldDef> defs;
    for (int c = 0; c < n; ++c) {
        const QJsonValue t = at(3 + 2 * c), name = at(4 + 2 * c);
        if (!t.isDouble() || t.toDouble() < 0 || t.toDouble() > double(vorn::ftGuid) || !name.isString() || name.toString().isEmpty())
            throw bad(QStringLiteral("описание столбца %1").arg(c + 1));
        vorn::FieldDef d;
        d.name = name.toString();
        d.type = vorn::FieldType(t.toInt());
        if (d.type == vorn::ftUnknown)
            d.type = vorn::ftString;
        defs << d;
    }
    const qsizetype rest = h - 2 - 2 * qsizetype(n);
    const qsizetype rows = qsizetype(std::llround(double(rest) / n));
    QList<QVariantList> data;
    for (qsizetype r = 0; r < rows; ++r) {
        QVariantList row;
        for (int c = 0; c < n; ++c) {
            const QJsonValue v = at(3 + 2 * qsizetype(n) + r * n + c);
            QVariant value = v.isNull() || v.isUndefined() ? QVariant() : v.toVariant();
            if (vorn::fieldtype::isString(defs[c].type) && !value.isNull())
                defs[c].size = qMax(defs[c].size, int(value.toString().size()));
            bool ok = true;
            value = vorn::fieldtype::convert(value, defs[c].type, &ok);
            if (!ok)
                throw bad(QStringLiteral("значение строки %1 столбца \"%2\"").arg(r + 1).arg(defs[c].name));
            row << value;
        }
        data << row;
    }
    table->clearFieldDefs();
    for (vorn::FieldDef &d : defs) {
        if (vorn::fieldtype::isString(d.type))
            d.size = qMax(d.size, 255);
        table->addFieldDef(d.name, d.type, d.size);
    }
    table->createTable();
    for (const QVariantList &row : data)
        table->appendRecord(row);
    table->first();
}

void FetchRemoteData(vorn::MemoryTable *dataset, const TQueryListItem *item, const TParamAskMeList *params)
{
    QString server, database, user, password;
    vorn::Database *db = vorn::Database::findDatabase(QStringLiteral("dbMain"));
    if (!db) {
        try {
            db = vorn::Database::defaultDatabase();
        } catch (const DataError &) {
        }
    }
    if (db) {
        server = db->params().value(QStringLiteral("SERVER NAME"));
        database = db->params().value(QStringLiteral("DATABASE NAME"));
        user = db->params().value(QStringLiteral("USER NAME"));
        password = db->params().value(QStringLiteral("PASSWORD"));
    }
    dataset->setReadOnly(false);
    dataset->close();
    dataset->clearFieldDefs();
    if (item->IdRemtServerType == 1) {
        const QByteArray body = RemoteRequestBody(*item, RemoteParamArgument(params), server, database, user, password);
        DecodeRemoteResult(CallRemoteGetData(*item, body), dataset);
    }
    dataset->setReadOnly(true);
}
