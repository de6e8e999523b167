// The parameter model of a run: the list of a query's or data module's parameters with
// their types, value kinds and starting values, remembered values in the per-user
// store, macro substitution and typed binding into SQL, and the "usrPARAM" dataset.
#pragma once
#include "platform/data/SqlText.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vorn {
class Database;
class Query;
class SettingsStore;
}

// Parameter type codes (IdParTyp).
enum : quint8 {
    ptText = 0, ptDate = 1, ptMoney = 2, ptNumber = 3, ptInteger = 4,
    ptLookup = 5, ptMultiLookup = 6, ptDateTime = 7, ptPassword = 8
};

// Value kinds: decide substitution, binding and the field type in "usrPARAM".
enum TValueKind : quint8 {
    vkNone = 0, vkString = 1, vkDate = 2, vkCurrency = 3, vkFloat = 4, vkInteger = 5, vkDateTime = 6
};

// Default-value kinds (IdTypDefVal).
enum : int { dvBuiltIn = 0, dvRemembered = 1, dvSql = 2 };

// Errors of the parameter machinery carry their message text.
class EParamAskMe : public std::runtime_error
{
public:
    explicit EParamAskMe(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Find on a name the list does not hold.
class EParamAskMeNotFound : public EParamAskMe
{
public:
    explicit EParamAskMeNotFound(const QString &name);
};

// The list source of a type 5 or 6 parameter.
class TDBLookupAskMe
{
public:
    QString DatabaseName = QStringLiteral("dbMain");  // the connection the list query uses
    QString SQL;                    // query yielding the rows to choose from
    QString LookupField;            // the key column: its value is the parameter value
    QString LookupDisplay;          // the column(s) shown
    int LookupDisplayIndex = -1;    // <0: all columns in the drop-down, else the column shown
    QString KeyValue;               // key of the current choice as text (type 6: joined keys)
    QString DisplayText;            // what the control shows for the current choice
};

class TParamAskMe
{
public:
    // Starts with the built-in value and kind of its type.
    TParamAskMe(const QString &parName, const QString &parLabel, int idParTyp);

    int Id = 0;                     // VornParam.Id
    QString ParName;                // name in SQL, in macros and of the dialog control
    QString ParLabel;               // caption left of the control
    quint8 IdParTyp = ptText;       // type code 0..8 (higher codes get no control)
    int Width = 0;                  // control width in pixels, 0 = the type's default
    int IdTypDefVal = dvBuiltIn;    // default-value kind
    QString DefSQL;                 // SQL of default kind 2
    QVariant Value;                 // QString, QDate, QDateTime, double, qint64 or null
    quint8 ValueKind = vkNone;      // TValueKind
    bool Changed = false;           // the last read-back changed the value
    std::unique_ptr<TDBLookupAskMe> Lookup;  // types 5 and 6 only

    // The built-in starting value of a type and its kind.
    static QVariant BuiltInValue(int idParTyp);
    static quint8 BuiltInKind(int idParTyp);
    // The key under which a remembered value is kept: Id + ParName + IdParTyp.
    QString RememberKey() const;
};

// The parameters of one object in Numm order; owns them.
class TParamAskMeList
{
public:
    TParamAskMeList() = default;
    // The parameters of an object: kind 3 a query, 9 a remote data module, 1 a report
    // (its first data source only); any other kind gives an empty list. db = the
    // catalogue connection (nullptr: the one named "dbMain", else the default one).
    TParamAskMeList(vorn::Database *db, int objectId, int objectKind, vorn::SettingsStore *settings = nullptr);
    TParamAskMeList(const TParamAskMeList &) = delete;
    TParamAskMeList &operator=(const TParamAskMeList &) = delete;

    int Count() const { return int(m_items.size()); }
    TParamAskMe *Items(int i) const { return m_items.at(size_t(i)).get(); }
    TParamAskMe *Find(const QString &name) const;       // exact name; raises EParamAskMeNotFound
    TParamAskMe *FindOrNull(const QString &name) const; // exact name; nullptr when absent
    int IndexOf(const TParamAskMe *p) const;
    TParamAskMe *Add(std::unique_ptr<TParamAskMe> p);
    TParamAskMe *Add(const QString &parName, const QString &parLabel, int idParTyp);
    void Clear() { m_items.clear(); }

    // The connection DefSQL and list queries run on; nullptr = "dbMain" / the default.
    vorn::Database *Database() const;
    void SetDatabase(vorn::Database *db) { m_database = db; }
    // Where remembered values live; nullptr = none are read or written.
    vorn::SettingsStore *Settings() const { return m_settings; }
    void SetSettings(vorn::SettingsStore *s) { m_settings = s; }

private:
    std::vector<std::unique_ptr<TParamAskMe>> m_items;
    void Load(int objectId, bool ofRemoteData);

    vorn::Database *m_database = nullptr;
    vorn::SettingsStore *m_settings = nullptr;
};

extern const char *const kParamsValueSection;  // "VORN_PARAMS_VALUE"

// Remembered values (default kind 1): reading uses the current value as the fallback.
void ReadRememberedValue(TParamAskMe &p, const vorn::SettingsStore &store);
void StoreRememberedValue(const TParamAskMe &p, vorn::SettingsStore &store);

// The macros ("%%Name%%") of an SQL text in order of appearance; raises
// "Error of syntax of macro" for an unclosed, empty or blank-padded name.
QStringList ScanMacros(const QString &sql);
// The text with each macro naming a vkString or vkInteger parameter replaced by its
// value, made safe for where the macro stands (see the .cpp); raises EParamAskMe for a
// value that would change the statement's structure. Without quoting rules, those of
// the list's connection are used.
QString SubstituteMacros(const QString &sql, const TParamAskMeList &list);
QString SubstituteMacros(const QString &sql, const TParamAskMeList &list, vorn::sqltext::Quoting quoting);

// The value as display text, by kind ("" for vkNone).
QString ParamValueText(const TParamAskMe &p);
// The value text where a window or a file shows it to people: a password as one "*" per
// character, as the prompt showed it.
QString ParamShownText(const TParamAskMe &p);

// Object kinds a list is loaded for.
enum : int { okReport = 1, okQuery = 3, okRemoteData = 9 };

// The value kind a lookup key column of this field type gives; current when none fits.
quint8 ValueKindOfFieldType(int fieldType, quint8 current);
// A value as the natural variant type of a parameter type (null stays null).
QVariant CoerceToParamType(const QVariant &v, int idParTyp);

// Macro substitution, then typed binding of the query's ":Name" parameters from the
// list (exact names). True when every query parameter was found in the list.
bool ApplyParamsToQuery(vorn::Query &query, const TParamAskMeList &list);
// Runs sql after ApplyParamsToQuery; the first column of the first row, null when none.
QVariant EvalDefaultSQL(const QString &sql, const TParamAskMeList &list);
// Applies the default-value kind to the parameter's starting value.
void LoadStartValue(TParamAskMe &p, const TParamAskMeList &list);
// The remembered value of a default kind 1 parameter into the list's settings store.
void StoreRememberedValue(const TParamAskMe &p, const TParamAskMeList &list);

// Creates or refills the one-row in-memory dataset "usrPARAM" on owner (and a data
// source "dsusrPARAM" over a newly made one). Does nothing for an empty list.
void FillParamDataSet(QObject *owner, const TParamAskMeList &list);
