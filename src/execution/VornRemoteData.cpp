// FetchRemoteData over HTTP: the module server answers {"result": [...]} with the
// flat array "GetData" returns, or {"error": "..."}. Every index into the array is
// checked against its length before it is read.
#include "execution/VornRemoteData.h"

#include "execution/ParamAskMe.h"
#include "execution/VornRun.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"

#include <QApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <climits>
#include <cmath>
#include <limits>

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

QUrl RemoteModuleUrl(const TQueryListItem &item)
{
    if (item.ComputerName.contains(QStringLiteral("://"))) {
        QUrl url(item.ComputerName);
        if (url.port() < 0 && item.Port > 0)
            url.setPort(item.Port);
        if (url.path().isEmpty() || url.path() == u"/")
            url.setPath(QStringLiteral("/GetData"));
        return url;
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(item.ComputerName.isEmpty() ? QStringLiteral("localhost") : item.ComputerName);
    url.setPort(item.Port > 0 ? item.Port : 80);
    url.setPath(QStringLiteral("/GetData"));
    return url;
}

bool RemoteUrlMayCarryPassword(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        return true;
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

qint64 RemoteAnswerLimit()
{
    bool ok = false;
    const qint64 mb = qEnvironmentVariable("VORN_GETDATA_MAX_MB").trimmed().toLongLong(&ok);
    return (ok && mb > 0 ? mb : 200) * 1024 * 1024;
}

QJsonArray CallRemoteGetData(const TQueryListItem &item, const QByteArray &body, int timeoutMs, qint64 maxBytes)
{
    const QUrl url = RemoteModuleUrl(item);
    QNetworkAccessManager nam;
    QNetworkRequest req(url);
    req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = nam.post(req, body);
    const QString where = QStringLiteral("%1 (%2:%3)").arg(item.ServerName, url.host()).arg(url.port());
    // The answer is refused as soon as it announces or reaches more than the limit,
    // before it is all in memory.
    bool tooBig = false, cancelled = false, timedOut = false;
    auto checkSize = [&](qint64 size) {
        if (maxBytes > 0 && size > maxBytes && !tooBig) {
            tooBig = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            checkSize(length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64) { checkSize(received); });
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    timer.start(timeoutMs);
    // A quick answer shows nothing; a slow one gets a box whose "Отмена" stops the wait.
    // Until the box is up, clicks elsewhere wait, as they did before.
    const bool withWindows = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    QTimer showBox;
    showBox.setSingleShot(true);
    QObject::connect(&showBox, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (withWindows)
        showBox.start(400);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (withWindows && !reply->isFinished() && !timedOut) {
        QProgressDialog box(QStringLiteral("Получение данных от модуля %1…").arg(where), QStringLiteral("Отмена"), 0, 0);
        box.setObjectName(QStringLiteral("dlgRemoteWait"));
        box.setWindowTitle(QStringLiteral("Модуль данных"));
        box.setWindowModality(Qt::ApplicationModal);
        box.setMinimumDuration(0);
        box.setAutoClose(false);
        box.setAutoReset(false);
        QObject::connect(&box, &QProgressDialog::canceled, &loop, [&] {
            cancelled = true;
            loop.quit();
        });
        box.show();
        loop.exec();
        box.hide();
    }
    const auto fail = [&](const QString &text) {
        if (!reply->isFinished())
            reply->abort();
        reply->deleteLater();
        return DataError(text);
    };
    if (cancelled)
        throw fail(QStringLiteral("Получение данных от модуля %1 прервано пользователем").arg(where));
    if (tooBig)
        throw fail(QStringLiteral("Модуль данных %1: ответ больше допустимых %2 МБ, получение прервано")
                       .arg(where)
                       .arg(maxBytes / (1024 * 1024)));
    if (!reply->isFinished())
        throw fail(QStringLiteral("Модуль данных %1 не ответил").arg(where));
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

// The field type an integer column needs for one more value: its own while the value
// fits, 64-bit for a larger whole number, floating point beyond that or for a fraction.
static vorn::FieldType widenedIntegerType(vorn::FieldType current, const QJsonValue &v)
{
    qint64 whole = 0;
    if (v.isDouble()) {
        constexpr qint64 sentinel = std::numeric_limits<qint64>::min();
        whole = v.toInteger(sentinel);
        if (whole == sentinel)
            return vorn::ftFloat;  // a fraction, or beyond 64 bits
    } else if (v.isString()) {
        bool ok = false;
        whole = v.toString().trimmed().toLongLong(&ok);
        if (!ok)
            return current;  // not a whole number: the conversion reports it
    } else {
        return current;
    }
    qint64 lo = INT_MIN, hi = INT_MAX;
    switch (current) {
    case vorn::ftSmallint: lo = -32768; hi = 32767; break;
    case vorn::ftWord: lo = 0; hi = 65535; break;
    case vorn::ftLargeint: return current;
    default: break;
    }
    return whole < lo || whole > hi ? vorn::ftLargeint : current;
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
    if (rest % n != 0)
        throw bad(QStringLiteral("последняя строка неполная: %1 значений на %2 столбцов").arg(rest).arg(n));
    const qsizetype rows = rest / n;
    const qsizetype first = 3 + 2 * qsizetype(n);
    // Integer columns first learn whether every value fits their type.
    for (int c = 0; c < n; ++c) {
        if (!vorn::fieldtype::isInteger(defs[c].type))
            continue;
        for (qsizetype r = 0; r < rows && defs[c].type != vorn::ftFloat; ++r) {
            const vorn::FieldType t = widenedIntegerType(defs[c].type, at(first + r * n + c));
            if (t != defs[c].type && t != vorn::ftSmallint && t != vorn::ftInteger && t != vorn::ftWord)
                defs[c].type = t;
        }
    }
    QList<QVariantList> data;
    for (qsizetype r = 0; r < rows; ++r) {
        QVariantList row;
        for (int c = 0; c < n; ++c) {
            const QJsonValue v = at(first + r * n + c);
            QVariant value = v.isNull() || v.isUndefined() ? QVariant() : v.toVariant();
            if (v.isDouble() && defs[c].type == vorn::ftLargeint)
                value = qlonglong(v.toInteger());  // whole: checked above
            else if (v.isDouble() && defs[c].type == vorn::ftFloat)
                value = v.toDouble();
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
        if (RemoteUrlMayCarryPassword(RemoteModuleUrl(*item)))
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
