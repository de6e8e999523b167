// VBScript lexer: identifiers and keywords, numeric/string/date literals, line
// continuations, comments, and statement ends.
#include "platform/script/vbscript/Lexer.h"
#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace vorn::vbs {

Kw keywordOf(const QString &w)
{
    static const QHash<QString, Kw> table = {
        {"and", Kw::And}, {"byref", Kw::ByRef}, {"byval", Kw::ByVal}, {"call", Kw::Call}, {"case", Kw::Case},
        {"class", Kw::Class}, {"const", Kw::Const}, {"dim", Kw::Dim}, {"do", Kw::Do}, {"each", Kw::Each},
        {"else", Kw::Else}, {"elseif", Kw::ElseIf}, {"empty", Kw::Empty}, {"end", Kw::End}, {"eqv", Kw::Eqv},
        {"erase", Kw::Erase}, {"exit", Kw::Exit}, {"false", Kw::False}, {"for", Kw::For}, {"function", Kw::Function},
        {"goto", Kw::GoTo}, {"if", Kw::If}, {"imp", Kw::Imp}, {"in", Kw::In}, {"is", Kw::Is}, {"loop", Kw::Loop},
        {"me", Kw::Me}, {"mod", Kw::Mod}, {"new", Kw::New}, {"next", Kw::Next}, {"not", Kw::Not},
        {"nothing", Kw::Nothing}, {"null", Kw::Null}, {"on", Kw::On}, {"option", Kw::Option}, {"or", Kw::Or},
        {"private", Kw::Private}, {"public", Kw::Public}, {"redim", Kw::ReDim}, {"select", Kw::Select},
        {"set", Kw::Set}, {"sub", Kw::Sub}, {"then", Kw::Then}, {"to", Kw::To}, {"true", Kw::True},
        {"until", Kw::Until}, {"wend", Kw::Wend}, {"while", Kw::While}, {"with", Kw::With}, {"xor", Kw::Xor},
        {"property", Kw::Property}, {"get", Kw::Get}, {"let", Kw::Let}, {"default", Kw::Default},
        {"error", Kw::Error}, {"resume", Kw::Resume}, {"step", Kw::Step}, {"preserve", Kw::Preserve},
        {"explicit", Kw::Explicit},
    };
    return table.value(w, Kw::None);
}

bool isReserved(Kw k)
{
    switch (k) {
    case Kw::None: case Kw::Property: case Kw::Get: case Kw::Let: case Kw::Default: case Kw::Error:
    case Kw::Resume: case Kw::Step: case Kw::Preserve: case Kw::Explicit:
        return false;
    default:
        return true;
    }
}

static bool identStart(QChar c) { return c.isLetter(); }
static bool identChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Date literals are read in the U.S. form whatever the locale, as VBScript does.
static bool parseDateLiteral(const QString &s, double *out)
{
    QString t = s.trimmed();
    double date = 0;
    QString timePart;
    int colon = int(t.indexOf(QLatin1Char(':')));
    QString datePart = t;
    if (colon >= 0) {
        int sp = int(t.lastIndexOf(QLatin1Char(' '), colon));
        datePart = sp >= 0 ? t.left(sp).trimmed() : QString();
        timePart = sp >= 0 ? t.mid(sp + 1).trimmed() : t;
    }
    if (!datePart.isEmpty()) {
        QStringList p = datePart.split(QRegularExpression(QStringLiteral("[/\\-.]")));
        if (p.size() != 3) return false;
        bool ok1, ok2, ok3;
        int a = p[0].toInt(&ok1), b = p[1].toInt(&ok2), c = p[2].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3) return false;
        int y, m, d;
        if (a > 31) { y = a; m = b; d = c; } else { m = a; d = b; y = c; }
        if (y < 30) y += 2000; else if (y < 100) y += 1900;
        if (!QDate(y, m, d).isValid()) return false;
        date = automationdate::fromParts(y, m, d);
    }
    if (!timePart.isEmpty()) {
        bool pm = timePart.endsWith(QLatin1String("PM"), Qt::CaseInsensitive);
        bool am = timePart.endsWith(QLatin1String("AM"), Qt::CaseInsensitive);
        if (pm || am) timePart.chop(2);
        QStringList p = timePart.trimmed().split(QLatin1Char(':'));
        int h = p.value(0).toInt(), mi = p.value(1).toInt(), se = p.value(2).toInt();
        if (pm && h < 12) h += 12;
        if (am && h == 12) h = 0;
        double f = (h * 3600 + mi * 60 + se) / 86400.0;
        date = date < 0 ? date - f : date + f;
    }
    *out = date;
    return true;
}

QVector<Token> tokenize(const QString &src, int startLine)
{
    QVector<Token> out;
    out.reserve(src.size() / 3 + 4);
    const int n = int(src.size());
    int i = 0, line = startLine, lineStart = 0;
    bool space = true;
    auto push = [&](Tok t, int at) {
        Token tk;
        tk.type = t;
        tk.line = line;
        tk.column = at - lineStart;
        tk.spaceBefore = space;
        out.append(tk);
        space = false;
        return &out.last();
    };
    auto newline = [&](int at, bool colon) {
        if (!out.isEmpty() && out.last().type == Tok::Newline && !colon && !out.last().colon) return;
        Token *t = push(Tok::Newline, at);
        t->colon = colon;
    };
    while (i < n) {
        QChar c = src.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0xA0) || c == QLatin1Char('\f')) { ++i; space = true; continue; }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            newline(i, false);
            if (c == QLatin1Char('\r') && i + 1 < n && src.at(i + 1) == QLatin1Char('\n')) ++i;
            ++i;
            ++line;
            lineStart = i;
            space = true;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            while (i < n && src.at(i) != QLatin1Char('\n') && src.at(i) != QLatin1Char('\r')) ++i;
            continue;
        }
        if (c == QLatin1Char(':')) { newline(i, true); ++i; space = true; continue; }
        if (c == QLatin1Char('_') && (i + 1 >= n || !identChar(src.at(i + 1))) && space) {
            // line continuation: '_' then optional blanks then the line break
            int j = i + 1;
            while (j < n && (src.at(j) == QLatin1Char(' ') || src.at(j) == QLatin1Char('\t'))) ++j;
            if (j < n && (src.at(j) == QLatin1Char('\r') || src.at(j) == QLatin1Char('\n'))) {
                if (src.at(j) == QLatin1Char('\r') && j + 1 < n && src.at(j + 1) == QLatin1Char('\n')) ++j;
                i = j + 1;
                ++line;
                lineStart = i;
                space = true;
                continue;
            }
            throw LexError{1032, line, i - lineStart};
        }
        const int start = i;
        if (identStart(c)) {
            while (i < n && identChar(src.at(i))) ++i;
            QString word = src.mid(start, i - start);
            if (word.size() > 255) throw LexError{1030, line, start - lineStart};
            QString lower = word.toLower();
            if (lower == QLatin1String("rem")) {
                while (i < n && src.at(i) != QLatin1Char('\n') && src.at(i) != QLatin1Char('\r')) ++i;
                continue;
            }
            bool afterDot = !out.isEmpty() && out.last().type == Tok::Dot && !space;
            Kw kw = afterDot ? Kw::None : keywordOf(lower);
            Token *t = push(kw != Kw::None && isReserved(kw) ? Tok::Keyword : Tok::Ident, start);
            t->kw = kw;
            t->text = word;
            continue;
        }
        if (c == QLatin1Char('[')) {
            // [bracketed identifier]
            int j = int(src.indexOf(QLatin1Char(']'), i));
            if (j < 0) throw LexError{1007, line, i - lineStart};
            Token *t = push(Tok::Ident, start);
            t->text = src.mid(i + 1, j - i - 1);
            i = j + 1;
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && src.at(i + 1).isDigit() && (space || out.isEmpty() || (out.last().type != Tok::Ident && out.last().type != Tok::RParen)))) {
            while (i < n && src.at(i).isDigit()) ++i;
            bool isFloat = false;
            if (i < n && src.at(i) == QLatin1Char('.')) {
                isFloat = true;
                ++i;
                while (i < n && src.at(i).isDigit()) ++i;
            }
            if (i < n && (src.at(i) == QLatin1Char('e') || src.at(i) == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (src.at(j) == QLatin1Char('+') || src.at(j) == QLatin1Char('-'))) ++j;
                if (j < n && src.at(j).isDigit()) {
                    isFloat = true;
                    i = j;
                    while (i < n && src.at(i).isDigit()) ++i;
                }
            }
            QString num = src.mid(start, i - start);
            if (i < n && identStart(src.at(i))) throw LexError{1025, line, i - lineStart};
            Token *t = push(Tok::Number, start);
            double d = num.toDouble();
            if (!isFloat && d <= 32767) t->value = Variant::integer(int16_t(d));
            else if (!isFloat && d <= 2147483647.0) t->value = Variant(int(d));
            else t->value = Variant(d);
            t->text = num;
            continue;
        }
        if (c == QLatin1Char('&') && i + 1 < n && (src.at(i + 1) == QLatin1Char('H') || src.at(i + 1) == QLatin1Char('h')
                                                   || src.at(i + 1) == QLatin1Char('O') || src.at(i + 1) == QLatin1Char('o'))) {
            bool hex = src.at(i + 1).toUpper() == QLatin1Char('H');
            int j = i + 2;
            while (j < n && (hex ? isxdigit(src.at(j).toLatin1()) : (src.at(j) >= QLatin1Char('0') && src.at(j) <= QLatin1Char('7')))) ++j;
            if (j > i + 2) {
                QString digits = src.mid(i + 2, j - i - 2);
                bool ok;
                qulonglong v = digits.toULongLong(&ok, hex ? 16 : 8);
                if (j < n && src.at(j) == QLatin1Char('&')) ++j;   // type suffix
                Token *t = push(Tok::Number, start);
                if (v <= 0xFFFF && (hex ? digits.size() <= 4 : v <= 0xFFFF)) t->value = Variant::integer(int16_t(uint16_t(v)));
                else if (v <= 0xFFFFFFFFULL) t->value = Variant(int(uint32_t(v)));
                else throw LexError{1031, line, start - lineStart};
                i = j;
                continue;
            }
        }
        if (c == QLatin1Char('"')) {
            QString s;
            ++i;
            for (;;) {
                if (i >= n || src.at(i) == QLatin1Char('\n') || src.at(i) == QLatin1Char('\r')) throw LexError{1033, line, start - lineStart};
                if (src.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && src.at(i + 1) == QLatin1Char('"')) { s += QLatin1Char('"'); i += 2; continue; }
                    ++i;
                    break;
                }
                s += src.at(i++);
            }
            Token *t = push(Tok::String, start);
            t->text = s;
            continue;
        }
        if (c == QLatin1Char('#')) {
            int j = i + 1;
            while (j < n && src.at(j) != QLatin1Char('#') && src.at(j) != QLatin1Char('\n')) ++j;
            double d;
            if (j >= n || src.at(j) != QLatin1Char('#') || !parseDateLiteral(src.mid(i + 1, j - i - 1), &d))
                throw LexError{1032, line, start - lineStart};
            Token *t = push(Tok::Date, start);
            t->value = Variant::date(d);
            i = j + 1;
            continue;
        }
        Tok t;
        int len = 1;
        QChar nx = i + 1 < n ? src.at(i + 1) : QChar();
        switch (c.unicode()) {
        case '(': t = Tok::LParen; break;
        case ')': t = Tok::RParen; break;
        case ',': t = Tok::Comma; break;
        case '.': t = Tok::Dot; break;
        case '=': t = Tok::Eq; break;
        case '<':
            if (nx == QLatin1Char('>')) { t = Tok::Ne; len = 2; }
            else if (nx == QLatin1Char('=')) { t = Tok::Le; len = 2; }
            else t = Tok::Lt;
            break;
        case '>':
            if (nx == QLatin1Char('=')) { t = Tok::Ge; len = 2; }
            else if (nx == QLatin1Char('<')) { t = Tok::Ne; len = 2; }
            else t = Tok::Gt;
            break;
        case '+': t = Tok::Plus; break;
        case '-': t = Tok::Minus; break;
        case '*': t = Tok::Star; break;
        case '/': t = Tok::Slash; break;
        case '\\': t = Tok::Backslash; break;
        case '^': t = Tok::Caret; break;
        case '&': t = Tok::Amp; break;
        default: throw LexError{1032, line, i - lineStart};
        }
        push(t, start);
        i += len;
    }
    newline(n, false);
    push(Tok::Eof, n);
    out.last().line = line;
    out.last().column = n - lineStart;
    return out;
}

} // namespace vorn::vbs
