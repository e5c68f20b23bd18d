#!/usr/bin/env bash
# Wall time and peak resident memory of whole processes over a collection: a
# tree of 20,000 WAV files (hard links to the real files of ../shared/corpus
# and ../shared/corpus2, the folders beside the clone) in nested folders,
# copy 57 of the files in tree/5/7. Measured with /usr/bin/time:
#   ondulo-dump --check --jsonl -r -j 1 and -j 2, output to a file
#   mediainfo --Output=JSON over the same tree, for comparison, when it is
#   installed. Run by hand (CI unset), the script installs it with apt-get;
#   under CI it does not, and leaves the row out.
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target ondulo-dump
# then run from anywhere:
#   bench/collection_costs.sh
# Settings (environment): FILES=N files in the tree (default 20000); RUNS=N
# runs of each process, keeping the shortest time and the largest peak
# (default 3, against a busy machine). The tree goes to a folder under
# ${TMPDIR:-/tmp} (about 25 MB: the files are linked to one copy of each),
# removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

dump=build/default/app/dump/ondulo-dump
files=${FILES:-20000}
runs=${RUNS:-3}
# --check exits 1 for files with faults: that is its answer, not a failure.
accepted="0 1"
# shellcheck source=measure.sh
. bench/measure.sh

require_built "$dump" "cmake --preset default && cmake --build --preset default --target ondulo-dump"
if [ ! -d ../shared/corpus ] || [ ! -d ../shared/corpus2 ]; then
  echo "The real files are missing: ../shared/corpus and ../shared/corpus2 beside the clone." >&2
  exit 2
fi

missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 > /dev/null || missing+=(python3)
if ! command -v mediainfo > /dev/null && [ -z "${CI:-}" ]; then missing+=(mediainfo); fi
install_missing "${missing[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-collection.XXXXXX")
out=$work/out
trap 'rm -rf "$work"' EXIT

echo "Building a tree of $files files in $work ..."
python3 - "$work" "$files" ../shared/corpus ../shared/corpus2 << 'EOF_PY'
import os
import shutil
import sys

work, count, corpora = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# One copy of each real file in the tree's own file system, so that every
# file of the tree can be a hard link to it.
originals = os.path.join(work, "originals")
os.makedirs(originals)
names = []
for corpus in corpora:
    for name in sorted(os.listdir(corpus)):
        if name.lower().endswith(".wav"):
            target = os.path.basename(corpus) + "_" + name
            shutil.copy(os.path.join(corpus, name), os.path.join(originals, target))
            names.append(target)
for i in range(count):
    folder = os.path.join(work, "tree", *str(i // len(names)))
    os.makedirs(folder, exist_ok=True)
    name = names[i % len(names)]
    os.link(os.path.join(originals, name), os.path.join(folder, name))
EOF_PY
tree=$work/tree
echo "$(find "$tree" -type f | wc -l) files in $(find "$tree" -type d | wc -l) folders, $(du -sh "$work" | cut -f1) on disk"


row() { # what
  awk -v what="$1" -v n="$files" -v s="$secs" -v kb="$kb" -v out="$(stat -c %s "$work/out")" -v note="$note" \
    'BEGIN { printf "%-38s %7d %8.2f %9.0f %8.1f %10.1f  %s\n", what, n, s, (s > 0 ? n / s : 0), kb / 1024, out / 1048576, note }'
}

printf "\n%-38s %7s %8s %9s %8s %10s\n" "process" "files" "seconds" "files/s" "peak MB" "output MB"
for jobs in 1 2; do
  measure "$dump" --check --jsonl -r -j "$jobs" "$tree"
  row "ondulo-dump --check --jsonl -j $jobs"
  # The run's own count of the files it reported, from its summary line.
  reported=$(tail -n 1 "$work/out" | python3 -c 'import json, sys; print(json.load(sys.stdin)["summary"]["files"])')
  [ "$reported" -eq "$files" ] || echo "  ! it reported $reported files, not $files"
done
if command -v mediainfo > /dev/null; then
  measure mediainfo --Output=JSON "$tree"
  row "mediainfo --Output=JSON"
else
  echo "(mediainfo is not installed: no row for it)"
fi
