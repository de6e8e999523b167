// Filter expression parser and evaluator. Grammar (keywords case-insensitive):
//   or   := and { OR and }        and := not { AND not }     not := NOT not | atom
//   atom := '(' or ')' | operand op operand | operand IS [NOT] NULL
//   operand := [Field] | Field | 'text' | number
// Constants compared with a field are converted to the field's type once, at compile
// time (dates from the short date format), so evaluation compares plain values.
#include "platform/data/FilterExpression.h"
#include "platform/data/DataError.h"
#include "platform/data/Dataset.h"

#include <QDateTime>
#include <QLocale>

namespace vorn {

struct FilterExpression::Node
{
    enum Kind { And, Or, Not, Compare, CompareNumber, IsNull, IsNotNull, Const } kind = Const;
    enum Op { Eq, Ne, Gt, Lt, Ge, Le } op = Eq;
    std::unique_ptr<Node> a, b;  // children (logical) / operands (comparison)
    int field = -1;              // operand: field index, -1 for a constant
    QVariant constant;           // operand: the constant, typed
    FieldType type = ftUnknown;  // operand: field type
    double number = 0;           // CompareNumber: the constant, field on the left
};

namespace {

struct Token
{
    enum Kind { End, Name, Text, Number, Op, LParen, RParen, Word } kind = End;
    QString text;
    int pos = 0;
};

[[noreturn]] void fail(const QString &what, int pos)
{
    throw DataError(QStringLiteral("Ошибка в выражении фильтра: %1 (позиция %2)").arg(what).arg(pos + 1));
}

QList<Token> tokenize(const QString &s)
{
    QList<Token> out;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) { ++i; continue; }
        Token t;
        t.pos = i;
        if (c == u'[') {
            const int e = s.indexOf(u']', i + 1);
            if (e < 0) fail(QStringLiteral("нет закрывающей скобки ]"), i);
            t.kind = Token::Name;
            t.text = s.mid(i + 1, e - i - 1);
            i = e + 1;
        } else if (c == u'\'' || c == u'"') {
            QString v;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) { v += c; j += 2; continue; }
                    closed = true;
                    ++j;
                    break;
                }
                v += s.at(j++);
            }
            if (!closed) fail(QStringLiteral("незакрытая строка"), i);
            t.kind = Token::Text;
            t.text = v;
            i = j;
        } else if (c.isDigit() || ((c == u'-' || c == u'.') && i + 1 < n && s.at(i + 1).isDigit())) {
            int j = i + 1;
            // The general float format of the locale may write a decimal comma ("5,5").
            while (j < n && (s.at(j).isDigit() || s.at(j) == u'.' || s.at(j) == u'e' || s.at(j) == u'E'
                             || (s.at(j) == u',' && j + 1 < n && s.at(j + 1).isDigit())))
                ++j;
            t.kind = Token::Number;
            t.text = s.mid(i, j - i).replace(u',', u'.');
            i = j;
        } else if (c == u'<' || c == u'>' || c == u'=') {
            t.kind = Token::Op;
            if (i + 1 < n && (s.at(i + 1) == u'=' || (c == u'<' && s.at(i + 1) == u'>'))) {
                t.text = s.mid(i, 2);
                i += 2;
            } else {
                t.text = c;
                ++i;
            }
        } else if (c == u'(') { t.kind = Token::LParen; ++i; }
        else if (c == u')') { t.kind = Token::RParen; ++i; }
        else if (c.isLetter() || c == u'_') {
            int j = i + 1;
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == u'_')) ++j;
            t.kind = Token::Word;
            t.text = s.mid(i, j - i);
            i = j;
        } else {
            fail(QStringLiteral("недопустимый символ '%1'").arg(c), i);
        }
        out.append(t);
    }
    Token end;
    end.pos = n;
    out.append(end);
    return out;
}

using NodePtr = std::unique_ptr<FilterExpression::Node>;

struct Parser
{
    const QList<Token> &toks;
    const Dataset &ds;
    int i = 0;

    const Token &peek() const { return toks.at(i); }
    bool isWord(const char *w) const
    {
        return peek().kind == Token::Word && peek().text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    NodePtr parseOr()
    {
        NodePtr left = parseAnd();
        while (isWord("OR")) {
            ++i;
            auto n = std::make_unique<FilterExpression::Node>();
            n->kind = FilterExpression::Node::Or;
            n->a = std::move(left);
            n->b = parseAnd();
            left = std::move(n);
        }
        return left;
    }
    NodePtr parseAnd()
    {
        NodePtr left = parseNot();
        while (isWord("AND")) {
            ++i;
            auto n = std::make_unique<FilterExpression::Node>();
            n->kind = FilterExpression::Node::And;
            n->a = std::move(left);
            n->b = parseNot();
            left = std::move(n);
        }
        return left;
    }
    NodePtr parseNot()
    {
        if (isWord("NOT")) {
            ++i;
            auto n = std::make_unique<FilterExpression::Node>();
            n->kind = FilterExpression::Node::Not;
            n->a = parseNot();
            return n;
        }
        return parseAtom();
    }
    NodePtr parseOperand()
    {
        const Token t = peek();
        auto n = std::make_unique<FilterExpression::Node>();
        n->kind = FilterExpression::Node::Const;
        if (t.kind == Token::Name || (t.kind == Token::Word && !isWord("AND") && !isWord("OR") && !isWord("NOT")
                                      && !isWord("IS") && !isWord("NULL"))) {
            const Field *f = ds.findField(t.text);
            if (!f) fail(QStringLiteral("поле '%1' не найдено").arg(t.text), t.pos);
            n->field = f->index();
            n->type = f->dataType();
        } else if (t.kind == Token::Text) {
            n->constant = t.text;
            n->type = ftString;
        } else if (t.kind == Token::Number) {
            bool ok = false;
            const double d = t.text.toDouble(&ok);
            if (!ok) fail(QStringLiteral("неверное число '%1'").arg(t.text), t.pos);
            n->constant = d;
            n->type = ftFloat;
        } else if (t.kind == Token::End) {
            fail(QStringLiteral("неожиданный конец выражения"), t.pos);
        } else {
            fail(QStringLiteral("ожидалось поле или значение"), t.pos);
        }
        ++i;
        return n;
    }
    NodePtr parseAtom()
    {
        if (peek().kind == Token::LParen) {
            ++i;
            NodePtr inner = parseOr();
            if (peek().kind != Token::RParen) fail(QStringLiteral("ожидалась )"), peek().pos);
            ++i;
            return inner;
        }
        NodePtr left = parseOperand();
        if (isWord("IS")) {
            ++i;
            bool negate = false;
            if (isWord("NOT")) { negate = true; ++i; }
            if (!isWord("NULL")) fail(QStringLiteral("ожидалось NULL"), peek().pos);
            ++i;
            auto n = std::make_unique<FilterExpression::Node>();
            n->kind = negate ? FilterExpression::Node::IsNotNull : FilterExpression::Node::IsNull;
            n->a = std::move(left);
            return n;
        }
        if (peek().kind != Token::Op) fail(QStringLiteral("ожидалась операция сравнения"), peek().pos);
        const QString op = peek().text;
        ++i;
        auto n = std::make_unique<FilterExpression::Node>();
        n->kind = FilterExpression::Node::Compare;
        n->op = op == u"=" ? FilterExpression::Node::Eq : op == u"<>" ? FilterExpression::Node::Ne
              : op == u">" ? FilterExpression::Node::Gt : op == u"<" ? FilterExpression::Node::Lt
              : op == u">=" ? FilterExpression::Node::Ge : FilterExpression::Node::Le;
        const int rightPos = peek().pos;
        n->a = std::move(left);
        n->b = parseOperand();
        typeConstant(n->a.get(), n->b.get(), rightPos);
        typeConstant(n->b.get(), n->a.get(), rightPos);
        // A numeric field against a number, the usual filter line, gets its own node.
        const auto numeric = [](const FilterExpression::Node *x) {
            return x->field < 0 && x->constant.metaType().id() == QMetaType::Double;
        };
        if (n->a->field >= 0 && numeric(n->b.get())
            && (fieldtype::isInteger(n->a->type) || fieldtype::isFloat(n->a->type) || n->a->type == ftBoolean)) {
            n->kind = FilterExpression::Node::CompareNumber;
            n->number = n->b->constant.toDouble();
        } else if (n->b->field >= 0 && numeric(n->a.get())
                   && (fieldtype::isInteger(n->b->type) || fieldtype::isFloat(n->b->type) || n->b->type == ftBoolean)) {
            using N = FilterExpression::Node;
            n->kind = N::CompareNumber;
            n->number = n->a->constant.toDouble();
            std::swap(n->a, n->b);
            n->op = n->op == N::Gt ? N::Lt : n->op == N::Lt ? N::Gt : n->op == N::Ge ? N::Le : n->op == N::Le ? N::Ge : n->op;
        }
        return n;
    }
    // A constant compared with a field takes the field's type.
    void typeConstant(FilterExpression::Node *c, const FilterExpression::Node *other, int pos)
    {
        if (c->field >= 0 || other->field < 0)
            return;
        const FieldType t = other->type;
        QVariant v = c->constant;
        if (fieldtype::isDateTime(t) && v.metaType().id() == QMetaType::QString) {
            const QLocale loc;
            QDateTime dt = loc.toDateTime(v.toString(), loc.dateTimeFormat(QLocale::ShortFormat));
            if (!dt.isValid()) {
                const QDate d = loc.toDate(v.toString(), loc.dateFormat(QLocale::ShortFormat));
                if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
            }
            if (!dt.isValid()) dt = loc.toDateTime(v.toString(), loc.dateFormat(QLocale::ShortFormat) + QStringLiteral(" H:mm:ss"));
            if (!dt.isValid()) dt = QDateTime::fromString(v.toString(), Qt::ISODate);
            if (!dt.isValid()) {
                const QDate d = QDate::fromString(v.toString(), Qt::ISODate);
                if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
            }
            if (!dt.isValid()) fail(QStringLiteral("неверная дата '%1'").arg(v.toString()), pos);
            c->constant = t == ftDate ? QVariant(dt.date()) : QVariant(dt);
        } else if (fieldtype::isInteger(t) || fieldtype::isFloat(t) || t == ftBoolean) {
            bool ok = false;
            const double d = v.toString().trimmed().replace(u',', u'.').toDouble(&ok);
            if (!ok) fail(QStringLiteral("'%1' не число").arg(v.toString()), pos);
            c->constant = d;
        } else {
            c->constant = v.toString();
        }
        c->type = t;
    }
};

int compareValues(const QVariant &x, const QVariant &y)
{
    const int tx = x.metaType().id(), ty = y.metaType().id();
    // The common cases read the stored value directly, without QVariant conversion.
    const auto asDouble = [](const QVariant &v, int t, double *out) {
        switch (t) {
        case QMetaType::Int: *out = *static_cast<const int *>(v.constData()); return true;
        case QMetaType::LongLong: *out = double(*static_cast<const qlonglong *>(v.constData())); return true;
        case QMetaType::Double: *out = *static_cast<const double *>(v.constData()); return true;
        default: return false;
        }
    };
    if (double a, b; asDouble(x, tx, &a) && asDouble(y, ty, &b))
        return a < b ? -1 : a > b ? 1 : 0;
    const auto numeric = [](int t) {
        return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::Bool
            || t == QMetaType::UInt || t == QMetaType::ULongLong;
    };
    if (numeric(tx) && numeric(ty)) {
        if ((tx == QMetaType::Int || tx == QMetaType::LongLong) && (ty == QMetaType::Int || ty == QMetaType::LongLong)) {
            const qint64 a = x.toLongLong(), b = y.toLongLong();
            return a < b ? -1 : a > b ? 1 : 0;
        }
        const double a = x.toDouble(), b = y.toDouble();
        return a < b ? -1 : a > b ? 1 : 0;
    }
    if (tx == QMetaType::QDate && ty == QMetaType::QDate) {
        const QDate a = x.toDate(), b = y.toDate();
        return a < b ? -1 : a > b ? 1 : 0;
    }
    if ((tx == QMetaType::QDate || tx == QMetaType::QDateTime) && (ty == QMetaType::QDate || ty == QMetaType::QDateTime)) {
        const QDateTime a = x.toDateTime(), b = y.toDateTime();
        return a < b ? -1 : a > b ? 1 : 0;
    }
    return x.toString().compare(y.toString(), Qt::CaseSensitive);
}

} // namespace

std::unique_ptr<FilterExpression> FilterExpression::compile(const QString &text, const Dataset &dataset)
{
    const QList<Token> toks = tokenize(text);
    Parser p{toks, dataset};
    std::unique_ptr<FilterExpression> e(new FilterExpression);
    e->m_root = p.parseOr();
    if (p.peek().kind != Token::End)
        fail(QStringLiteral("лишний текст '%1'").arg(p.peek().text), p.peek().pos);
    return e;
}

FilterExpression::~FilterExpression() = default;

static bool eval(const FilterExpression::Node *n, const Dataset &ds, int row,
                 const QVariant &(*value)(const Dataset &, int, int))
{
    using N = FilterExpression::Node;
    switch (n->kind) {
    case N::CompareNumber: {
        const QVariant &v = value(ds, row, n->a->field);
        double a;
        switch (v.typeId()) {
        case QMetaType::Int: a = *static_cast<const int *>(v.constData()); break;
        case QMetaType::LongLong: a = double(*static_cast<const qlonglong *>(v.constData())); break;
        case QMetaType::Double: a = *static_cast<const double *>(v.constData()); break;
        case QMetaType::Bool: a = *static_cast<const bool *>(v.constData()) ? 1 : 0; break;
        default:
            if (v.isNull()) return false;
            a = v.toDouble();
        }
        const double b = n->number;
        switch (n->op) {
        case N::Eq: return a == b;
        case N::Ne: return a != b;
        case N::Gt: return a > b;
        case N::Lt: return a < b;
        case N::Ge: return a >= b;
        case N::Le: return a <= b;
        }
        return false;
    }
    case N::And: return eval(n->a.get(), ds, row, value) && eval(n->b.get(), ds, row, value);
    case N::Or: return eval(n->a.get(), ds, row, value) || eval(n->b.get(), ds, row, value);
    case N::Not: return !eval(n->a.get(), ds, row, value);
    case N::IsNull: case N::IsNotNull: {
        const bool isNull = n->a->field >= 0 ? value(ds, row, n->a->field).isNull() : n->a->constant.isNull();
        return n->kind == N::IsNull ? isNull : !isNull;
    }
    case N::Compare: {
        const QVariant &x = n->a->field >= 0 ? value(ds, row, n->a->field) : n->a->constant;
        const QVariant &y = n->b->field >= 0 ? value(ds, row, n->b->field) : n->b->constant;
        if (x.isNull() || y.isNull())
            return false;  // comparisons with NULL are never true
        const int c = compareValues(x, y);
        switch (n->op) {
        case N::Eq: return c == 0;
        case N::Ne: return c != 0;
        case N::Gt: return c > 0;
        case N::Lt: return c < 0;
        case N::Ge: return c >= 0;
        case N::Le: return c <= 0;
        }
        return false;
    }
    case N::Const: return n->constant.toBool();
    }
    return false;
}

bool FilterExpression::matches(const Dataset &dataset, int storageRow) const
{
    return eval(m_root.get(), dataset, storageRow, [](const Dataset &d, int r, int c) -> const QVariant & {
        return d.storedValue(r, c);
    });
}

} // namespace vorn
