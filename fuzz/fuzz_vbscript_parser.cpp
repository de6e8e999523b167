// libFuzzer target for the VBScript front end: any text goes through the lexer,
// parser and compiler, which must answer with a syntax error or code, never crash.
#include "platform/script/vbscript/VBScriptEngine.h"
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 20000) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    int number = 0, line = 0, column = 0;
    if (!vorn::vbs::VBScriptEngine::checkSyntax(text, &number, &line, &column)) {
        if (number < 1000 || number > 1100 || line < 0 || column < 0) __builtin_trap();
    }
    return 0;
}
