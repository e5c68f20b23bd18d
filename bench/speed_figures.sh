#!/usr/bin/env bash
# Wall times of ondulo-dump on the files of bench/speed_files.py, the
# figures the README's benchmarks paragraph gives: the plain text and --json
# of 32767 cue points and labels (and the JSON written a second), --check
# --jsonl -r over 3001 small files with -j 1 and -j 2, one 1.7 MB file
# against `true`, and beside them MediaInfo's trace of the same when it is
# installed. Each time is the shortest of RUNS runs (default 20) by
# hyperfine: on a shared machine the shortest is the one least disturbed.
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target ondulo-dump
# then run from anywhere:
#   bench/speed_figures.sh
# Instruction counts, which a busy machine does not change, are
# bench/instruction-guard.sh's. The files (about 100 MB) go to a folder
# under ${TMPDIR:-/tmp}, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

dump=$PWD/build/default/app/dump/ondulo-dump
runs=${RUNS:-20}
# shellcheck source=measure.sh
. bench/measure.sh

require_built "$dump" "cmake --preset default && cmake --build --preset default --target ondulo-dump"
missing=()
command -v hyperfine > /dev/null || missing+=(hyperfine)
command -v python3 > /dev/null || missing+=(python3)
install_missing "${missing[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 bench/speed_files.py "$work" 3001
cd "$work"

# shortest NAME COMMAND: the shortest wall time of COMMAND, in seconds.
shortest() {
  hyperfine -N --warmup 2 --runs "$runs" -i --export-json "$work/$1.json" "$2" > /dev/null 2>&1
  python3 -c 'import json, sys; print("%.4f" % json.load(open(sys.argv[1]))["results"][0]["min"])' "$work/$1.json"
}

text=$(shortest text "$dump cue-label-32767.wav")
json=$(shortest json "$dump --json cue-label-32767.wav")
json_bytes=$("$dump" --json cue-label-32767.wav | wc -c)
one=$(shortest one "$dump tone-10s.wav")
nothing=$(shortest true "true")
j1=$(shortest j1 "$dump --check --jsonl -r -j 1 collection")
j2=$(shortest j2 "$dump --check --jsonl -r -j 2 collection")

ms() { awk -v s="$1" 'BEGIN { printf "%.1f ms", s * 1000 }'; }
echo "cue file, plain text:        $(ms "$text")"
echo "cue file, --json:            $(ms "$json") ($(awk -v b="$json_bytes" -v s="$json" 'BEGIN { printf "%.1f MB, %.0f MB/s", b / 1e6, b / 1e6 / s }'))"
echo "3001 files, -j 1:            $(ms "$j1")"
echo "3001 files, -j 2:            $(ms "$j2") ($(awk -v a="$j1" -v b="$j2" 'BEGIN { printf "%.2f", a / b }')x -j 1)"
echo "1.7 MB file:                 $(ms "$one") (true: $(ms "$nothing"), $(awk -v a="$one" -v b="$nothing" 'BEGIN { printf "%.1f", a / b }')x)"
if command -v mediainfo > /dev/null; then
  runs=3
  trace=$(shortest mi-cue "mediainfo --Details=1 cue-label-32767.wav")
  all=$(shortest mi-all "mediainfo --Details=1 collection")
  echo "MediaInfo's trace, cue file: $(ms "$trace") ($(awk -v a="$trace" -v b="$text" 'BEGIN { printf "%.0f", a / b }')x the plain text)"
  echo "MediaInfo's trace, 3001:     $(ms "$all") ($(awk -v a="$all" -v b="$j1" 'BEGIN { printf "%.0f", a / b }')x -j 1)"
fi
