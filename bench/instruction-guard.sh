#!/usr/bin/env bash
# The speed guard: counts the instructions ondulo-dump runs on a fixed set of
# files, made at run time, and fails when a count grows by more than 10 %
# over the baseline stored in bench/instruction-baseline.tsv. Instructions
# are counted by valgrind's cachegrind (without its cache simulation), which
# gives the same count on a busy machine as on a quiet one, so the guard can
# run in CI where timings cannot.
#
# What is measured (bench/speed_files.py writes the files):
#   cue-text, cue-json, cue-check  a file of 32767 cue points and 32767
#                                  labels: the plain text, --json, --check
#   collection                     --check --jsonl -r -j 1 over 3001 small
#                                  files of many kinds, some with faults
#   measure                        --measure on 20 s of 16-bit stereo (3.5 MB)
#   one-file                       the plain text of 10 s of audio (1.7 MB)
#
# A change that makes one of these slower on purpose updates the baseline in
# the same commit and says why in its message: run
#   bench/instruction-guard.sh --update
# and commit bench/instruction-baseline.tsv with it. The counts belong to the
# compiler and libraries they were measured with (Debian 12: g++ 12, glibc
# 2.36, libstdc++ 12) and to the release build, the `default` preset
# (RelWithDebInfo) that .ci/run builds: on another toolchain regenerate the
# baseline before comparing. A count that falls by more than 10 % is said
# too, so that the baseline can be lowered and the gain kept.
#
# Usage: bench/instruction-guard.sh [--update] [BUILD_DIR]   (default build/default)
# It takes under a minute on a 2-core machine. Settings (environment):
# GUARD_LIMIT=PERCENT the growth allowed (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."

update=false
if [ "${1:-}" = "--update" ]; then
  update=true
  shift
fi
build=${1:-build/default}
dump=$build/app/dump/ondulo-dump
baseline=bench/instruction-baseline.tsv
limit=${GUARD_LIMIT:-10}

# shellcheck source=measure.sh
. bench/measure.sh
require_built "$dump" "cmake --preset default && cmake --build --preset default --target ondulo-dump"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt" 2> /dev/null || true)
if [ "$build_type" != RelWithDebInfo ]; then
  echo "$build is a ${build_type:-unknown} build; the baseline is for the release build (RelWithDebInfo)." >&2
  exit 2
fi
dump=$(cd "$(dirname "$dump")" && pwd)/ondulo-dump
if ! command -v valgrind > /dev/null; then
  echo "valgrind is missing: scripts/install-deps.sh all installs it." >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-guard.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 bench/speed_files.py "$work" 3001

# count NAME ARGUMENT...: the instructions of one run of ondulo-dump, from the
# files' folder, its output thrown away.
declare -A counts
count() {
  local name=$1
  shift
  (cd "$work" && valgrind --tool=cachegrind --cache-sim=no --cachegrind-out-file="$work/$name.out" \
    "$dump" "$@" > /dev/null 2> "$work/$name.err") || true
  counts[$name]=$(sed -n 's/^summary: *//p' "$work/$name.out" 2> /dev/null)
  if [ -z "${counts[$name]}" ]; then
    echo "valgrind did not count $name:" >&2
    cat "$work/$name.err" >&2
    exit 2
  fi
}
works=(cue-text cue-json cue-check collection measure one-file)
count cue-text cue-label-32767.wav
count cue-json --json cue-label-32767.wav
count cue-check --check cue-label-32767.wav
count collection --check --jsonl -r -j 1 collection
count measure --measure tone-20s.wav
count one-file tone-10s.wav

if $update; then
  {
    echo "# Instructions of ondulo-dump per work, counted by bench/instruction-guard.sh on Debian 12"
    echo "# (g++ 12, glibc 2.36), release build (RelWithDebInfo). Regenerate with --update."
    for name in "${works[@]}"; do printf '%s\t%s\n' "$name" "${counts[$name]}"; done
  } > "$baseline"
  echo "Wrote $baseline:"
  grep -v '^#' "$baseline"
  exit 0
fi

if [ ! -f "$baseline" ]; then
  echo "$baseline is missing: make it with $0 --update." >&2
  exit 2
fi
failed=0
printf '%-12s %15s %15s %9s\n' work baseline now change
for name in "${works[@]}"; do
  before=$(awk -F '\t' -v n="$name" '$1 == n { print $2 }' "$baseline")
  now=${counts[$name]}
  if [ -z "$before" ]; then
    printf '%-12s %15s %15s %9s  not in the baseline\n' "$name" - "$now" -
    failed=1
    continue
  fi
  verdict=$(awk -v b="$before" -v n="$now" -v l="$limit" 'BEGIN {
    change = (n - b) * 100 / b
    printf "%+8.1f%%", change
    if (change > l) printf "  more than %s %% slower", l
    else if (change < -l) printf "  faster: lower the baseline (--update)"
  }')
  printf '%-12s %15s %15s %s\n' "$name" "$before" "$now" "$verdict"
  [[ $verdict == *slower* ]] && failed=1
done
if [ "$failed" -ne 0 ]; then
  echo "The instruction counts grew past the baseline. If the change is slower on purpose, run" >&2
  echo "  $0 --update" >&2
  echo "and commit $baseline with it, saying why." >&2
  exit 1
fi
