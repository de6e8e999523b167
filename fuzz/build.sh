#!/bin/sh
# Builds the VBScript parser fuzz target with clang and libFuzzer (outside CTest):
#   fuzz/build.sh && fuzz/out/fuzz_vbscript_parser -max_total_time=300 fuzz/corpus
set -e
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
out="$here/out"
mkdir -p "$out" "$here/corpus"
flags="-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fPIC -I$src $(pkg-config --cflags Qt6Core)"
sources="$src/platform/core/CodePage.cpp
$src/platform/automation/Variant.cpp $src/platform/automation/VariantOps.cpp $src/platform/automation/AutomationError.cpp
$src/platform/automation/Dispatch.cpp $src/platform/automation/ClassRegistry.cpp $src/platform/automation/TypeLibrary.cpp
$src/platform/automation/Dictionary.cpp $src/platform/automation/FileSystemObject.cpp
$src/platform/script/ScriptSite.cpp
$src/platform/script/vbscript/Lexer.cpp $src/platform/script/vbscript/Parser.cpp $src/platform/script/vbscript/Compiler.cpp
$src/platform/script/vbscript/Vm.cpp $src/platform/script/vbscript/Runtime.cpp $src/platform/script/vbscript/RegExp.cpp
$src/platform/script/vbscript/VBScriptEngine.cpp"
clang++ $flags $sources "$here/fuzz_vbscript_parser.cpp" -o "$out/fuzz_vbscript_parser" $(pkg-config --libs Qt6Core)
# seed corpus: the benchmark scripts
cp "$here"/../bench/script/*.vbs "$here/corpus/" 2>/dev/null || true
echo "built $out/fuzz_vbscript_parser"
