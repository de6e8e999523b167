#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer, ASan and UBSan (outside CTest):
#   fuzz/build.sh [vbscript|report]          (both when no argument is given)
#   fuzz/out/fuzz_vbscript_parser -max_total_time=300 fuzz/corpus   (lexer, parser, compiler)
#   fuzz/out/fuzz_vbscript_run -max_total_time=300 fuzz/corpus      (the machine, with a watchdog)
#   UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=fuzz/report_layout.supp \
#     fuzz/out/fuzz_report_layout -dict=fuzz/report_layout.dict -timeout=30 -max_total_time=900 \
#     fuzz/corpus-report                                            (layout reader, expressions, engine, text export)
set -e
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
out="$here/out"
what=${1:-all}
mkdir -p "$out/obj" "$here/corpus" "$here/corpus-report"
sanitize="-fsanitize=address,undefined,float-cast-overflow,signed-integer-overflow"

# compile SOURCES (relative to src/) with FLAGS into objects; sets $objs
compile() {
  flags=$1
  objs=""
  for s in $2; do
    o="$out/obj/$(echo "$s" | tr / _).o"
    objs="$objs $o"
    # a header newer than the object (no dependency tracking here) rebuilds it too
    if [ ! -f "$o" ] || [ "$src/$s" -nt "$o" ] || [ -n "$(find "$src/platform" -name '*.h' -newer "$o" | head -1)" ]; then
      echo "compile $s"
      case "$s" in
        *.h) clang++ $flags -x c++ -c "$out/obj/moc_$(basename "$s" .h).cpp" -o "$o" ;;
        *) clang++ $flags -c "$src/$s" -o "$o" ;;
      esac
    fi
  done
}

if [ "$what" = all ] || [ "$what" = vbscript ]; then
  flags="-std=c++20 -g -O1 -fsanitize=fuzzer-no-link $sanitize -fno-sanitize-recover=undefined -fPIC -I$src $(pkg-config --cflags Qt6Core)"
  compile "$flags" "platform/core/CodePage.cpp
platform/automation/Variant.cpp platform/automation/VariantOps.cpp platform/automation/AutomationError.cpp
platform/automation/Dispatch.cpp platform/automation/ClassRegistry.cpp platform/automation/TypeLibrary.cpp
platform/automation/Dictionary.cpp platform/automation/FileSystemObject.cpp
platform/script/ScriptSite.cpp
platform/script/vbscript/Lexer.cpp platform/script/vbscript/Parser.cpp platform/script/vbscript/Compiler.cpp
platform/script/vbscript/Vm.cpp platform/script/vbscript/Runtime.cpp platform/script/vbscript/RegExp.cpp
platform/script/vbscript/VBScriptEngine.cpp"
  for t in fuzz_vbscript_parser fuzz_vbscript_run; do
    clang++ $flags -fsanitize=fuzzer "$here/$t.cpp" $objs -o "$out/$t" $(pkg-config --libs Qt6Core) -lpthread
    echo "built $out/$t"
  done
  # seed corpus: the benchmark scripts
  cp "$here"/../bench/script/*.vbs "$here/corpus/" 2>/dev/null || true
fi

if [ "$what" = all ] || [ "$what" = report ]; then
  # UBSan findings stay recoverable here so that known ones can be listed in a
  # suppressions file while the run goes on; halt_on_error=1 stops at the others.
  qt="Qt6Gui Qt6Widgets Qt6PrintSupport Qt6Svg Qt6Sql"
  flags="-std=c++20 -g -O1 -fsanitize=fuzzer-no-link $sanitize -fPIC -I$src $(pkg-config --cflags $qt xlsxwriter fontconfig)"
  moc=$(pkg-config --variable=libexecdir Qt6Core)/moc
  for h in ReportEngine ReportPages; do
    "$moc" "$src/platform/report/$h.h" -o "$out/obj/moc_$h.cpp"
  done
  compile "$flags" "platform/report/ReportDataSet.cpp platform/report/ReportLayout.cpp
platform/report/ReportExpression.cpp platform/report/ReportText.cpp platform/report/ReportPages.cpp
platform/report/ReportEngine.cpp platform/report/ReportPainter.cpp platform/report/ReportExport.cpp
platform/report/ReportPdf.cpp platform/report/ReportEngine.h platform/report/ReportPages.h"
  clang++ $flags -fsanitize=fuzzer "$here/fuzz_report_layout.cpp" $objs -o "$out/fuzz_report_layout" \
    $(pkg-config --libs $qt xlsxwriter fontconfig) -lzint -lpthread
  echo "built $out/fuzz_report_layout"
  # seed corpus: our own seed over the harness's data, the layouts of the tests,
  # the benchmarks and the demo catalogue
  cp "$here"/seeds/*.vrl "$here"/../tests/platform/report/data/*.vrl "$here"/../bench/report/*.vrl \
    "$here"/../sql/demo/layouts/*.xml "$here/corpus-report/" 2>/dev/null || true
fi
