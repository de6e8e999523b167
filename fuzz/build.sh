#!/bin/sh
# Builds the VBScript fuzz targets with clang and libFuzzer (outside CTest):
#   fuzz/build.sh
#   fuzz/out/fuzz_vbscript_parser -max_total_time=300 fuzz/corpus   (lexer, parser, compiler)
#   fuzz/out/fuzz_vbscript_run -max_total_time=300 fuzz/corpus      (the machine, with a watchdog)
set -e
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
out="$here/out"
mkdir -p "$out/obj" "$here/corpus"
flags="-std=c++20 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fPIC -I$src $(pkg-config --cflags Qt6Core)"
sources="platform/core/CodePage.cpp
platform/automation/Variant.cpp platform/automation/VariantOps.cpp platform/automation/AutomationError.cpp
platform/automation/Dispatch.cpp platform/automation/ClassRegistry.cpp platform/automation/TypeLibrary.cpp
platform/automation/Dictionary.cpp platform/automation/FileSystemObject.cpp
platform/script/ScriptSite.cpp
platform/script/vbscript/Lexer.cpp platform/script/vbscript/Parser.cpp platform/script/vbscript/Compiler.cpp
platform/script/vbscript/Vm.cpp platform/script/vbscript/Runtime.cpp platform/script/vbscript/RegExp.cpp
platform/script/vbscript/VBScriptEngine.cpp"
objs=""
for s in $sources; do
  o="$out/obj/$(echo "$s" | tr / _).o"
  objs="$objs $o"
  # a header newer than the object (no dependency tracking here) rebuilds it too
  if [ ! -f "$o" ] || [ "$src/$s" -nt "$o" ] || [ -n "$(find "$src/platform" -name '*.h' -newer "$o" | head -1)" ]; then
    echo "compile $s"
    clang++ $flags -c "$src/$s" -o "$o"
  fi
done
for t in fuzz_vbscript_parser fuzz_vbscript_run; do
  clang++ $flags -fsanitize=fuzzer "$here/$t.cpp" $objs -o "$out/$t" $(pkg-config --libs Qt6Core) -lpthread
  echo "built $out/$t"
done
# seed corpus: the benchmark scripts
cp "$here"/../bench/script/*.vbs "$here/corpus/" 2>/dev/null || true
