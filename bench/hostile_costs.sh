#!/usr/bin/env bash
# Peak resident memory and wall time of whole processes on hostile files:
# (a) `ondulo-dump --json FILE > /dev/null` and (b) the window
# (bench_window_select: frmMain offscreen, Analyse, then every chunk row
# selected in turn), each in a fresh process per file, measured with
# /usr/bin/time. Targets: under 64 MB and 1 s per process for the 100 MB,
# 30 MB and sparse 4 GB files; under 20 MB for ondulo-dump on the
# 32767-cue + 32767-label file, 30 ms for its text and --json and 15 ms for
# --check; the structure window (bench_structure_window) opened on a few of
# them, under 64 MB. The files built to be awkward for the walk (lists nested 25,000
# deep, 12 MB of lists of 4,095 sub-chunks with non-zero pad bytes, a 100 MB
# shown list with labels at both ends and small sub-chunks between, with zero
# and with printable pad bytes) go through every form of ondulo-dump (text,
# --json, --check, --structure) and the window: under 64 MB each, under 4 MB
# of output, and the list's selection in the window under 50 ms. The
# structure window's Save report of a 450 MB JSON report (bench_report_save):
# the whole process's peak at most 64 MB above the window's own, the window
# never more than 100 ms without answering. 64 MB of open XML elements under
# `ondulo-dump --check`: under 16 MB and 0.2 s. `--summarise` over 270 MB of
# JSON Lines with 1,000 codes a line: under 64 MB. The 688,108-row list
# selected in both windows: under 100 ms and 64 MB. A missed target is marked
# with `!`.
#
# It builds nothing. Build first (the window program needs the UI build):
#   cmake --preset default && cmake --build --preset default -j2
# then run from anywhere:
#   bench/hostile_costs.sh
# Settings (environment): RUNS=N runs each process N times and keeps the
# shortest time and the largest peak (default 3, against a busy machine);
# KEEP_LOG=FILE appends the window program's output (one line per chunk:
# name, value rows, milliseconds of the selection, status line) to FILE; TIMEOUT=S stops a process after S seconds (default 120); MEM_CAP_MB=M caps
# each process's address space (default 8192), so a runaway cannot take the
# machine. The files (about 1.5 GB real, plus sparse 4 GB ones that take no
# disk) go to a folder under ${TMPDIR:-/tmp}, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
dump=$build/app/dump/ondulo-dump
window=$build/bench/bench_window_select
structure=$build/bench/bench_structure_window
saver=$build/bench/bench_report_save
runs=${RUNS:-3}
limit=${TIMEOUT:-120}
cap_mb=${MEM_CAP_MB:-8192}
# shellcheck source=measure.sh
. bench/measure.sh

for program in "$dump" "$window" "$structure" "$saver"; do
  require_built "$program" "cmake --preset default && cmake --build --preset default -j2"
done

missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 > /dev/null || missing+=(python3)
install_missing "${missing[@]}"

parent=${TMPDIR:-/tmp}
free_kb=$(df --output=avail -k "$parent" | tail -n 1 | tr -d ' ')
if [ "$free_kb" -lt $((2000 * 1024)) ]; then
  echo "Only $((free_kb / 1024)) MB free in $parent; the files and the saved report need about 2 GB." >&2
  exit 2
fi
work=$(mktemp -d "$parent/ondulo-costs.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "Writing the files into $work ..."
python3 - "$work" << 'EOF'
import os
import struct
import sys

folder = sys.argv[1]
MiB = 1 << 20
sys.path.insert(0, "bench")
from riff_writer import DATA, chunk, cue_label_file, pcm_format, riff, u32, write_file  # noqa: E402


FMT = pcm_format(44100)


def write(name, data):
    write_file(folder, name, data)


# 1. 100 MB of labels of four bytes each (the cue point id, no text).
n = (100 * MiB - 4) // 12
write("labels-4byte-100MB.wav",
      riff(FMT + chunk(b"LIST", b"adtl" + (b"labl" + u32(4) + u32(1)) * n) + DATA))

# 2. 100 MB of empty labelled-text sub-chunks.
n = (100 * MiB - 4) // 8
write("ltxt-empty-100MB.wav", riff(FMT + chunk(b"LIST", b"adtl" + (b"ltxt" + u32(0)) * n) + DATA))

# 3. 100 MB cue, plst and smpl chunks, the count matching the records held.
n = (100 * MiB - 4) // 24
rec = struct.Struct("<II4sIII")
cue = u32(n) + b"".join(rec.pack(i + 1, i * 10, b"data", 0, 0, i * 10) for i in range(n))
write("cue-100MB.wav", riff(FMT + chunk(b"cue ", cue) + DATA))
del cue

n = (100 * MiB - 4) // 12
rec = struct.Struct("<III")
plst = u32(n) + b"".join(rec.pack(i % 1000 + 1, 100, 1) for i in range(n))
write("plst-100MB.wav", riff(FMT + chunk(b"plst", plst) + DATA))
del plst

n = (100 * MiB - 36) // 24
rec = struct.Struct("<IIIIII")
smpl = struct.pack("<IIIIIIIII", 0, 0, 22675, 60, 0, 0, 0, n, 0)
smpl += b"".join(rec.pack(i + 1, 0, i * 10, i * 10 + 9, 0, 0) for i in range(n))
write("smpl-100MB.wav", riff(FMT + chunk(b"smpl", smpl) + DATA))
del smpl

# 4. One label whose text is 30 MB of letters.
text = (b"abcdefghijklmnopqrstuvwxyz" * (30 * MiB // 26 + 1))[: 30 * MiB]
write("label-text-30MB.wav", riff(FMT + chunk(b"LIST", b"adtl" + chunk(b"labl", u32(1) + text + b"\0")) + DATA))
del text

# 5 and 6. Sparse files of 4 GB: the RIFF size is 0xFFFFFFFE and the last
# chunk claims all of it; only the headers are written, the rest is a hole.
RIFF_SIZE = 0xFFFFFFFE


def sparse(name, head):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(head)
        f.truncate(8 + RIFF_SIZE)


big = RIFF_SIZE - 4 - len(FMT) - 8
sparse("cue-claims-FFFFFFFF-4G.wav", riff(FMT + b"cue " + u32(big) + u32(0xFFFFFFFF), RIFF_SIZE))
sparse("plst-claims-FFFFFFFF-4G.wav", riff(FMT + b"plst" + u32(big) + u32(0xFFFFFFFF), RIFF_SIZE))
sparse("smpl-claims-FFFFFFFF-4G.wav",
       riff(FMT + b"smpl" + u32(big) + struct.pack("<IIIIIIIII", 0, 0, 22675, 60, 0, 0, 0, 0xFFFFFFFF, 0),
            RIFF_SIZE))
# The same with a count of 0x7FFFFFFF, which reads as positive.
sparse("cue-claims-7FFFFFFF-4G.wav", riff(FMT + b"cue " + u32(big) + u32(0x7FFFFFFF), RIFF_SIZE))
sparse("plst-claims-7FFFFFFF-4G.wav", riff(FMT + b"plst" + u32(big) + u32(0x7FFFFFFF), RIFF_SIZE))
sparse("smpl-claims-7FFFFFFF-4G.wav",
       riff(FMT + b"smpl" + u32(big) + struct.pack("<IIIIIIIII", 0, 0, 22675, 60, 0, 0, 0, 0x7FFFFFFF, 0),
            RIFF_SIZE))
sparse("PAD-4G.wav", riff(FMT + b"PAD " + u32(big), RIFF_SIZE))
sparse("fact-4G.wav", riff(FMT + b"fact" + u32(big) + u32(44100), RIFF_SIZE))
sparse("fmt-4G.wav",
       riff(b"fmt " + u32(RIFF_SIZE - 12) + struct.pack("<HHIIHH", 1, 2, 44100, 44100 * 4, 4, 16), RIFF_SIZE))

# 7. 32767 cue points and 32767 labels naming them.
write("cue-label-32767.wav", cue_label_file())

# 8. Lists nested 25,000 deep, each holding only the next.
depth = 25000
heads = b"".join(b"LIST" + u32(4 + 12 * (depth - 1 - level)) + b"adtl" for level in range(depth))
write("nested-LIST-25000.wav", riff(FMT + heads + DATA))
del heads

# 9. 12 MB of lists of 4,095 labels each, every label of odd size with a pad
# byte of 1.
label = b"labl" + u32(5) + u32(1) + b"x" + b"\x01"
one_list = chunk(b"LIST", b"adtl" + label * 4095)
write("lists-4095-padded-12MB.wav", riff(FMT + one_list * (12 * MiB // len(one_list)) + DATA))
del one_list

# 10 and 11. A shown list of 100 MB: 20 labels at each end and small
# sub-chunks of one byte between them, their pad bytes zero or a printable
# letter (so that both readings of every pad byte start a plausible header).
rec = struct.Struct("<II4sIII")
cue = chunk(b"cue ", u32(40) + b"".join(rec.pack(i + 1, i * 10, b"data", 0, 0, i * 10) for i in range(40)))
def both_ends(pad):
    first = b"".join(chunk(b"labl", u32(i + 1) + b"Start %02d\0" % (i + 1)) for i in range(20))
    last = b"".join(chunk(b"labl", u32(i + 21) + b"End %02d\0" % (i + 1)) for i in range(20))
    filler = (b"junk" + u32(1) + b"j" + pad) * ((100 * MiB - len(first) - len(last)) // 10)
    return riff(FMT + cue + chunk(b"LIST", b"adtl" + first + filler + last) + DATA)
write("list-both-ends-100MB.wav", both_ends(b"\0"))
write("list-both-ends-printable-100MB.wav", both_ends(b"J"))

# 12. One list of 32767 labels, 32767 notes and 32767 labelled texts, each
# text 4 KB (688,108 rows in the window); its JSON report is about 450 MB.
text = (b"abcdefghijklmnopqrstuvwxyz" * 160)[:4096] + b"\0"
entries = [chunk(b"labl", u32(i + 1) + text) for i in range(32767)]
entries += [chunk(b"note", u32(i + 1) + text) for i in range(32767)]
entries += [chunk(b"ltxt", struct.pack("<II4sHHHH", i + 1, 10, b"rgn ", 0, 0, 0, 0) + text) for i in range(32767)]
write("list-3x32767-4KB-texts.wav", riff(FMT + chunk(b"LIST", b"adtl" + b"".join(entries)) + DATA))
del entries

# 13. 64 MB of open XML elements in an iXML chunk.
write("ixml-open-elements-64MB.wav", riff(FMT + chunk(b"iXML", b"<a>" * (64 * MiB // 3)) + DATA))

# 14. 270 MB of JSON Lines, each line a file with 1,000 finding codes of its
# own, for --summarise.
with open(os.path.join(folder, "codes-270MB.jsonl"), "w") as f:
    written = 0
    line = 0
    while written < 270 * MiB:
        codes = ", ".join('"made-up-%09d-%04d": 1' % (line, i) for i in range(1000))
        text = ('{"path": "f%d.wav", "status": 0, "finding_counts": {"error": 0, "warning": 1000, '
                '"note": 0, "by_code": {%s}}, "unfinished": null}\n' % (line, codes))
        f.write(text)
        written += len(text)
        line += 1
EOF
echo "Disk used by the files: $(du -sh "$work" | cut -f1) (sparse ones take none)"


# The peak in MB and the time, each with `!` after it when over its target.
cell() { # kb secs mb_target secs_target
  awk -v kb="$1" -v s="$2" -v mt="$3" -v st="$4" \
    'BEGIN { mb = kb / 1024; printf "%7.1f%s %7.2f%s", mb, (mb >= mt ? "!" : " "), s, (s >= st ? "!" : " ") }'
}

printf "\n%-26s %9s %9s %9s %9s  %s\n" "file" "dump MB" "dump s" "window MB" "window s" "notes"
files=(labels-4byte-100MB ltxt-empty-100MB cue-100MB plst-100MB smpl-100MB label-text-30MB
  cue-claims-FFFFFFFF-4G plst-claims-FFFFFFFF-4G smpl-claims-FFFFFFFF-4G
  cue-claims-7FFFFFFF-4G plst-claims-7FFFFFFF-4G smpl-claims-7FFFFFFF-4G
  PAD-4G fact-4G fmt-4G)
for name in "${files[@]}"; do
  file=$work/$name.wav
  out=/dev/null
  measure "$dump" --json "$file"
  dump_cell=$(cell "$kb" "$secs" 64 1)
  notes=${note:+dump $note; }
  out=$work/window.txt
  measure "$window" "$file"
  window_cell=$(cell "$kb" "$secs" 64 1)
  notes+=${note:+window $note; }
  # The window program's last line: how many chunks and value rows it saw.
  notes+=$(tail -n 1 "$out")
  if [ -n "${KEEP_LOG:-}" ]; then
    { echo "== $name"; cat "$out" "$work/stderr.txt"; } >> "$KEEP_LOG"
  fi
  printf "%-26s %s %s  %s\n" "$name" "$dump_cell" "$window_cell" "$notes"
done

echo
echo "32767 cue points + 32767 labels (targets: 20 MB; 0.03 s, 0.015 s for --check):"
file=$work/cue-label-32767.wav
out=/dev/null
measure "$dump" "$file"
printf "  %-22s %s  %s\n" "ondulo-dump" "$(cell "$kb" "$secs" 20 0.03)" "$note"
measure "$dump" --json "$file"
printf "  %-22s %s  %s\n" "ondulo-dump --json" "$(cell "$kb" "$secs" 20 0.03)" "$note"
measure "$dump" --check "$file"
printf "  %-22s %s  %s\n" "ondulo-dump --check" "$(cell "$kb" "$secs" 20 0.015)" "$note"
measure "$window" "$file"
printf "  %-22s %s  %s\n" "window" "$(cell "$kb" "$secs" 64 1)" "$note"

# The output's size in KB, with `!` after it when it is 4 MB or more.
size_cell() { # bytes
  awk -v b="$1" 'BEGIN { kb = b / 1024; printf "%9.1f%s", kb, (kb >= 4096 ? "!" : " ") }'
}

echo
echo "Files built to be awkward for the walk (targets: 64 MB, 4 MB of output, list selection 0.05 s):"
printf "  %-34s %-12s %9s %9s %10s  %s\n" "file" "form" "MB" "s" "output KB" "notes"
for name in nested-LIST-25000 lists-4095-padded-12MB list-both-ends-100MB list-both-ends-printable-100MB; do
  file=$work/$name.wav
  out=$work/dump.txt
  for form in text --json --check --structure; do
    if [ "$form" = text ]; then measure "$dump" "$file"; else measure "$dump" "$form" "$file"; fi
    # --check exits 1 when the file has faults: that is its answer, not a failure.
    [ "$form" = --check ] && [ "$note" = "exit 1" ] && note=""
    printf "  %-34s %-12s %s %s  %s\n" "$name" "$form" "$(cell "$kb" "$secs" 64 1000)" \
      "$(size_cell "$(stat -c %s "$out")")" "$note"
  done
  out=$work/window.txt
  measure "$window" "$file"
  # The slowest selection of a list row, in seconds.
  list_secs=$(awk -F '\t' '$1 == "LIST" && $3 > m { m = $3 } END { printf "%.3f", m / 1000 }' "$out")
  printf "  %-34s %-12s %s %10s  list selection %s%s %s\n" "$name" "window" "$(cell "$kb" "$secs" 64 1000)" "" \
    "$list_secs" "$(awk -v s="$list_secs" 'BEGIN { print (s >= 0.05 ? "!" : "") }')" "$note"
  if [ -n "${KEEP_LOG:-}" ]; then
    { echo "== $name"; cat "$out" "$work/stderr.txt"; } >> "$KEEP_LOG"
  fi
done

echo
echo "The structure window (targets: first paint 0.2 s, a selection 0.05 s, the whole process under 64 MB):"
for name in cue-label-32767 PAD-4G nested-LIST-25000 list-both-ends-100MB; do
  file=$work/$name.wav
  out=$work/structure.txt
  measure "$structure" "$file"
  printf "  %-34s %s  %s %s\n" "$name" "$(cell "$kb" "$secs" 64 1000)" "$(cat "$out")" "$note"
done

echo
echo "Costs of this pass (targets: save peak 64 MB above the window, window answering within 0.1 s;"
echo "open XML 16 MB and 0.2 s; summary 64 MB; 688,108-row selection 0.1 s and 64 MB):"
file=$work/list-3x32767-4KB-texts.wav
out=$work/save.txt
runs_before=$runs
runs=1
measure "$saver" "$file" "$work/report.json"
runs=$runs_before
awk -v note="$note" '{
  for (i = 1; i <= NF; i++) {
    if ($i == "save") ms = $(i + 1);
    if ($i == "most") wait = $(i + 1);
    if ($i == "resident") before = $(i + 1);
    if ($i == "peak") peak = $(i + 1);
    if ($i == "report") size = $(i + 1);
  }
  extra = (peak - before) / 1024
  printf "  %-34s %7.1f MB above the window%s, unanswered at most %s ms%s, %.2f s, %.0f MB written %s\n",
    "save report (JSON)", extra, (extra >= 64 ? "!" : ""), wait, (wait + 0 >= 100 ? "!" : ""), ms / 1000,
    size / 1048576, note
}' "$out"
rm -f "$work/report.json"
out=/dev/null
measure "$dump" --check "$work/ixml-open-elements-64MB.wav"
[ "$note" = "exit 1" ] && note=""
printf "  %-34s %s  %s\n" "ondulo-dump --check, open XML" "$(cell "$kb" "$secs" 16 0.2)" "$note"
measure "$dump" --summarise "$work/codes-270MB.jsonl"
[ "$note" = "exit 1" ] && note=""
printf "  %-34s %s  %s\n" "ondulo-dump --summarise, 270 MB" "$(cell "$kb" "$secs" 64 1000)" "$note"
out=$work/window.txt
measure "$window" "$file"
list_secs=$(awk -F '\t' '$1 == "LIST" && $3 > m { m = $3 } END { printf "%.3f", m / 1000 }' "$out")
printf "  %-34s %s  list selection %s%s %s\n" "main window, 688,108 rows" "$(cell "$kb" "$secs" 64 1000)" \
  "$list_secs" "$(awk -v s="$list_secs" 'BEGIN { print (s >= 0.1 ? "!" : "") }')" "$note"
out=$work/structure.txt
measure "$structure" "$file"
printf "  %-34s %s  %s %s\n" "structure window, 688,108 rows" "$(cell "$kb" "$secs" 64 1000)" "$(cat "$out")" "$note"
