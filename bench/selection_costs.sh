#!/usr/bin/env bash
# What a selection costs in the structure window (bench_structure_window):
# every top-level entry and both ends of every list selected in turn, each
# measured as the CPU time of the window's thread until it has painted
# (target: at most 50 ms), and the first paint after opening (target: at most
# 1 s). Over a file of 405 MB written here (32,767 cue points over the sound,
# one associated-data list of 32,767 labels, notes and labelled texts of 4 KB
# each: 688,108 rows) and over the real and hostile files of
# tests/data/corpus, /work/shared/corpus and /work/shared/corpus2 when they
# are there. A missed target is marked with `!`.
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target bench_structure_window -j2
# then run from anywhere:
#   bench/selection_costs.sh
# The written file goes to a folder under ${TMPDIR:-/tmp}, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

structure=build/default/bench/bench_structure_window
# shellcheck source=measure.sh
. bench/measure.sh
require_built "$structure" "cmake --preset default && cmake --build --preset default --target bench_structure_window"

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-selection.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work" << 'PYTHON'
import sys
sys.path.insert(0, "bench")
from riff_writer import marked_texts_file, write_file  # noqa: E402
write_file(sys.argv[1], "marked-texts-405MB.wav", marked_texts_file())
PYTHON

worst=0
report() {
  local file=$1 line slowest opened
  line=$(timeout 300 "$structure" "$file" 2> /dev/null | tail -n 1) || line=""
  slowest=$(sed -n 's/.*slowest selection \([0-9]*\) ms.*/\1/p' <<< "$line")
  opened=$(sed -n 's/.*first paint \([0-9]*\) ms.*/\1/p' <<< "$line")
  [ -n "$slowest" ] || return 0  # refused: no window to measure
  [ "$slowest" -gt "$worst" ] && worst=$slowest
  printf "  %-48s slowest selection %4s ms%s  opened %5s ms%s\n" "$(basename "$file")" "$slowest" \
    "$([ "$slowest" -gt 50 ] && echo ' !' || echo '  ')" "$opened" "$([ "$opened" -gt 1000 ] && echo ' !')"
}

echo "Selections in the structure window, CPU time of its thread (target 50 ms; opening 1 s):"
report "$work/marked-texts-405MB.wav"
for folder in tests/data/corpus /work/shared/corpus /work/shared/corpus2; do
  [ -d "$folder" ] || continue
  for file in "$folder"/*.wav "$folder"/*.WAV; do
    [ -f "$file" ] && report "$file"
  done
done
echo "Slowest selection of all: $worst ms"
