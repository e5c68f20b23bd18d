#!/usr/bin/env bash
# Peak resident memory and wall time of decoding hostile metadata chunks:
# bench_chunkinfo loads each file and shows the rows of every entry of its
# structure map (chunkinfo::ShowEntryRows), in a fresh process per file,
# measured with /usr/bin/time. Target for each: under 64 MB and 1 s. The
# files: a 100 MB iXML of one text and one of small elements, a bext chunk
# whose coding history is 100 MB of lines, a sparse 4 GB JUNK chunk, an ID3
# tag that claims 256 MB in a chunk of 1 KB, and a sparse ID3 chunk of
# 256 MB whose tag claims all of it. A missed target is marked with `!`.
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build build/default --target bench_chunkinfo
# then run from anywhere:
#   bench/chunkinfo_costs.sh
# Settings (environment): RUNS=N runs each process N times and keeps the
# shortest time and the largest peak (default 3); TIMEOUT=S stops a process
# after S seconds (default 60); MEM_CAP_MB=M caps each process's address
# space (default 4096). The files (about 300 MB real, plus sparse ones that
# take no disk) go to a folder under ${TMPDIR:-/tmp}, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/default/bench/bench_chunkinfo
runs=${RUNS:-3}
limit=${TIMEOUT:-60}
cap_mb=${MEM_CAP_MB:-4096}
# shellcheck source=measure.sh
. bench/measure.sh

require_built "$program" "cmake --preset default && cmake --build build/default --target bench_chunkinfo"
for tool in /usr/bin/time python3 prlimit; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (Debian: time, python3, util-linux)." >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-chunkinfo.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" << 'PY'
import os
import struct
import sys

folder = sys.argv[1]
MiB = 1 << 20
sys.path.insert(0, "bench")
from riff_writer import DATA, chunk, pcm_format, riff, u32, write_file  # noqa: E402


FMT = pcm_format(48000)


def write(name, data):
    write_file(folder, name, data)


def sparse(name, head, size):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(head)
        f.truncate(size)


def syncsafe(v):
    return bytes(((v >> 21) & 0x7F, (v >> 14) & 0x7F, (v >> 7) & 0x7F, v & 0x7F))


text = b"<BWFXML><NOTE>" + b"n" * (100 * MiB) + b"</NOTE></BWFXML>"
write("ixml-text-100MB.wav", riff(FMT + chunk(b"iXML", text) + DATA))
del text

element = b"<TRACK><NAME>Track</NAME><CHANNEL_INDEX>1</CHANNEL_INDEX></TRACK>\n"
text = b"<BWFXML>" + element * (100 * MiB // len(element)) + b"</BWFXML>"
write("ixml-elements-100MB.wav", riff(FMT + chunk(b"iXML", text) + DATA))
del text

fixed = bytes(256) + b"Ondulo".ljust(32, b"\0") + bytes(32 + 10 + 8 + 8) + struct.pack("<H", 2) + bytes(254)
line = b"A=PCM,F=48000,W=24,M=stereo,T=step\r\n"
write("bext-history-100MB.wav", riff(FMT + chunk(b"bext", fixed + line * (100 * MiB // len(line))) + DATA))

junk_size = 0xFFFFFFF0 - 4 - len(FMT) - 8  # the RIFF size is 0xFFFFFFF0
sparse("junk-4G.wav", b"RIFF" + u32(4 + len(FMT) + 8 + junk_size) + b"WAVE" + FMT + b"JUNK" + u32(junk_size),
       12 + len(FMT) + 8 + junk_size)

tag = b"ID3\3\0\0" + syncsafe(256 * MiB) + b"TIT2" + struct.pack(">I", 6) + b"\0\0" + b"\0Title"
write("id3-claims-256MB.wav", riff(FMT + DATA + chunk(b"id3 ", tag.ljust(1024, b"\0"))))

size = 256 * MiB
frames = b"".join(b"TXXX" + struct.pack(">I", 1000) + b"\0\0" + b"\3" + b"x" * 999 for _ in range(2000))
head = b"ID3\4\0\0" + syncsafe(size - 10) + frames
sparse("id3-256MB.wav", b"RIFF" + u32(4 + len(FMT) + 8 + size) + b"WAVE" + FMT + b"id3 " + u32(size) + head,
       12 + len(FMT) + 8 + size)
PY


printf "%-24s %12s %9s %9s  %s\n" "file" "size" "peak MB" "seconds" "notes"
for name in ixml-text-100MB ixml-elements-100MB bext-history-100MB junk-4G id3-claims-256MB id3-256MB; do
  file=$work/$name.wav
  out=$work/out.txt
  measure "$program" "$file"
  rows=$(awk '/ rows/ { n += $1 } END { print n }' "$work/out.txt")
  awk -v n="$name" -v b="$(stat -c %s "$file")" -v kb="$kb" -v s="$secs" -v note="$note" -v rows="$rows" 'BEGIN {
    mb = kb / 1024
    printf "%-24s %12.0f %8.1f%s %8.2f%s  %s rows %s\n", n, b, mb, (mb >= 64 ? "!" : " "), s, (s >= 1 ? "!" : " "), rows, note
  }'
done
