#!/usr/bin/env bash
# Wall time and peak resident memory of a mended copy against plain copies of
# the same file, measured with /usr/bin/time:
#   ondulo-dump --mend on a 1 GB recording that was never finished (its RIFF
#   and data sizes 0xFFFFFFFF, a LIST chunk after the audio), on a warm page
#   cache, beside cp and, when installed, ffmpeg -i F -c copy (which re-writes
#   the header but drops every chunk it does not know);
#   ondulo-dump --mend on a sparse recording of 4.5 GB written as plain RIFF,
#   whose 32-bit sizes wrapped: the copy is RF64 and keeps the holes, so it
#   takes seconds and almost no disk.
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target ondulo-dump
# then run from anywhere:
#   bench/mend_costs.sh
# Settings (environment): MB=N size of the unfinished recording (default
# 1024); RUNS=N runs of each process, keeping the shortest time and the
# largest peak (default 3). The files go to a folder under ${TMPDIR:-/tmp}
# (about 2 x MB on disk), removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

dump=$PWD/build/default/app/dump/ondulo-dump
mb=${MB:-1024}
runs=${RUNS:-3}
# shellcheck source=measure.sh
. bench/measure.sh
require_built "$dump" "cmake --preset default && cmake --build --preset default --target ondulo-dump"
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 > /dev/null || missing+=(python3)
install_missing "${missing[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-mend.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$mb" << 'PY'
import os, struct, sys
work, mb = sys.argv[1], int(sys.argv[2])
fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, 48000, 192000, 4, 16)
info = b"LIST" + struct.pack("<I", 16) + b"INFOINAM" + struct.pack("<I", 4) + b"Take"
piece = bytes((i * 7 + i // 256) % 251 for i in range(1 << 20))
with open(os.path.join(work, "unfinished.wav"), "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 0xFFFFFFFF) + b"WAVE" + fmt + b"data" + struct.pack("<I", 0xFFFFFFFF))
    for _ in range(mb):
        f.write(piece)
    f.write(info)
# 4.5 GB of audio, all but its first and last MB a hole; both sizes wrapped.
audio = 4608 << 20
with open(os.path.join(work, "wrapped.wav"), "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", (4 + 24 + 8 + audio) & 0xFFFFFFFF) + b"WAVE" + fmt)
    f.write(b"data" + struct.pack("<I", audio & 0xFFFFFFFF) + piece)
    f.seek(audio - len(piece), os.SEEK_CUR)
    f.write(piece)
PY

cat "$work/unfinished.wav" > /dev/null  # warm the page cache
printf '%-44s %10s %12s %s\n' "work" "seconds" "peak MB" "note"
row() { printf '%-44s %10s %12s %s\n' "$1" "$secs" "$((kb / 1024))" "$note"; }

measure "$dump" --mend "$work/mended.wav" "$work/unfinished.wav"
row "ondulo-dump --mend, ${mb} MB unfinished"
measure cp "$work/unfinished.wav" "$work/copied.wav"
row "cp, ${mb} MB"
if command -v ffmpeg > /dev/null; then
  measure ffmpeg -v error -y -i "$work/unfinished.wav" -c copy "$work/ffmpeg.wav"
  row "ffmpeg -c copy, ${mb} MB (drops LIST)"
fi
rm -f "$work/mended.wav" "$work/copied.wav" "$work/ffmpeg.wav"
measure "$dump" --mend "$work/rf64.wav" "$work/wrapped.wav"
row "ondulo-dump --mend, sparse 4.5 GB wrapped"
echo "disk used by the sparse 4.5 GB copy: $(du -k "$work/rf64.wav" | cut -f1) KB"
