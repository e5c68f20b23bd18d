#!/usr/bin/env bash
# Line coverage of the component (wavedoc/) and the detail routines
# (rows/) by their own tests: builds wavedoc_tests and rows_tests with
# gcov instrumentation in build-cov, runs them, and prints per-file and total
# line coverage. A line counts as covered when any translation unit ran it, so
# inline code in headers is counted once.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${ONDULO_COVERAGE_BUILD:-$repo/build-cov}

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
  -DONDULO_BUILD_UI=OFF -DONDULO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target wavedoc_tests rows_tests
find "$build" -name '*.gcda' -delete
"$build/tests/wavedoc/wavedoc_tests" >/dev/null
"$build/tests/rows/rows_tests" >/dev/null

report=$(mktemp -d)
trap 'rm -rf "$report"' EXIT
for objects in "$build/wavedoc/CMakeFiles/ondulo_wavedoc.dir" "$build/rows/CMakeFiles/ondulo_rows.dir"; do
  (cd "$report" && gcov -l -p -o "$objects" "$objects"/*.gcda >/dev/null 2>&1)
done

# gcov lines are "count:line:source"; "-" marks a line without code, "#####" one never run.
awk -F: -v repo="$repo/" '
  FNR == 1 { file = "" }
  $3 == "Source" { file = substr($0, index($0, "Source:") + 7); sub(repo, "", file)
                   if (file !~ /^(wavedoc|ui\/detail)\//) file = ""; next }
  file == "" { next }
  { count = $1; gsub(/ /, "", count); line = $2 + 0
    if (count == "-" || line == 0) next
    key = file SUBSEP line; code[key] = 1; owner[key] = file
    if (count != "#####" && count != "=====") run[key] = 1 }
  END {
    for (key in code) { total[owner[key]]++; all++; if (key in run) { hit[owner[key]]++; allHit++ } }
    for (f in total) printf "%6.1f%%  %4d/%-4d  %s\n", 100 * hit[f] / total[f], hit[f], total[f], f | "sort -n"
    close("sort -n")
    printf "%6.1f%%  %4d/%-4d  total of wavedoc/ and rows/\n", 100 * allHit / all, allHit, all
  }' "$report"/*.gcov
