// VBScript tokens: the whole text is cut into a token list up front so the
// parser can look back (a call's parenthesised first argument needs it).
#pragma once
#include "platform/automation/Variant.h"
#include <QString>
#include <QVector>

namespace vorn::vbs {

enum class Tok : uint8_t {
    Ident, Keyword, Number, String, Date,
    LParen, RParen, Comma, Dot, Eq, Ne, Lt, Le, Gt, Ge,
    Plus, Minus, Star, Slash, Backslash, Caret, Amp,
    Newline,   // end of a statement: a line break or ':'
    Eof
};

// Keywords that matter to the parser; context words (Step, Preserve, Explicit ...)
// stay identifiers and are tested by text.
enum class Kw : uint8_t {
    None, And, ByRef, ByVal, Call, Case, Class, Const, Dim, Do, Each, Else, ElseIf, Empty, End,
    Eqv, Erase, Exit, False, For, Function, GoTo, If, Imp, In, Is, Loop, Me, Mod, New, Next, Not,
    Nothing, Null, On, Option, Or, Private, Public, ReDim, Select, Set, Sub, Then, To, True, Until,
    Wend, While, With, Xor, Property, Get, Let, Default, Error, Resume, Step, Preserve, Explicit
};

struct Token {
    Tok type = Tok::Eof;      // kind of token
    Kw kw = Kw::None;         // keyword, for Keyword tokens (and context words)
    bool spaceBefore = false; // whitespace precedes it (a call's '(' vs an index)
    bool colon = false;       // a Newline token made by ':'
    int line = 0;             // zero-based line
    int column = 0;           // zero-based column
    QString text;             // identifier as written, string contents
    Variant value;            // numbers and dates
};

struct LexError {
    int number;               // 1032 invalid character, 1033 unterminated string ...
    int line, column;         // zero-based position
};

// Tokenizes a whole text; throws LexError.
QVector<Token> tokenize(const QString &text, int startLine = 0);
// Keyword for a lower-case word; Kw::None when it is not one.
Kw keywordOf(const QString &lowerWord);
// Reserved words cannot name variables (the context words can).
bool isReserved(Kw kw);

} // namespace vorn::vbs
