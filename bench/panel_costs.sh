#!/usr/bin/env bash
# Run time of the reader panel (tests/panel/panel.py): the damage set (every
# damage class over the base files, as the ReaderPanel.rule test runs it) and
# both shared corpora (../shared/corpus and ../shared/corpus2), each split
# into making the files, ondulo-dump --check over all of them in one run, and
# the readers (libsndfile, FFmpeg, Python's wave, SoX; the time summed over
# the files, which run in parallel).
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target ondulo-dump sndfile_reader
# then run from anywhere:
#   bench/panel_costs.sh
# Settings (environment): RUNS=N runs of each, keeping the shortest (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."

dump=build/default/app/dump/ondulo-dump
reader=build/default/tests/panel/sndfile_reader
runs=${RUNS:-1}
export ONDULO_SHARED_DIR=${ONDULO_SHARED_DIR:-$PWD/../shared}
for tool in "$dump" "$reader"; do
  if [ ! -x "$tool" ]; then
    echo "panel_costs: $tool is not built" >&2
    exit 2
  fi
done

best() {
  # Runs "$@" RUNS times; prints the summary lines of the fastest run.
  local shortest="" kept="" start out took
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    out=$("$@" 2>&1 || true)
    took=$((($(date +%s%N) - start) / 1000000))
    if [ -z "$shortest" ] || [ "$took" -lt "$shortest" ]; then
      shortest=$took
      kept=$out
    fi
  done
  printf '%s\n' "$kept" | grep -E '^(  )?[0-9]+ (damaged|intact|files)|^  (error|warning|note|none) ' || true
  printf 'wall time: %d.%03d s\n' $((shortest / 1000)) $((shortest % 1000))
}

echo "== damage set (ReaderPanel.rule) =="
best python3 tests/panel/panel.py rule "$dump" "$reader" tests/panel/allow_list.tsv
echo "== shared corpora =="
best python3 tests/panel/panel.py corpus "$dump" "$reader"
