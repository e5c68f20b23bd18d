#!/usr/bin/env bash
# Builds the fuzz preset and runs fuzz_wavedoc for SECONDS over a scratch copy
# of the seeds: fuzz/seeds, the minimised corpus kept in fuzz/corpus, and the
# shared corpus of real files (the directory in ONDULO_CORPUS, by default
# ../shared/corpus beside the clone), each real file trimmed to a few bytes of
# audio. Inputs may be up to 1 MB long. Exits non-zero on any finding: a crash,
# a sanitizer report, a leak, a hang over 5 s, more than 512 MB resident, or
# one allocation over 64 MB. The scratch directory is removed after a clean run
# unless ONDULO_FUZZ_WORK names it (a later run with the same directory goes on
# from the corpus it grew); after a finding it is kept and printed.
#
# Nothing is written into the repository except the build tree build/fuzz,
# unless --merge is given: then, after a clean run, fuzz/corpus is replaced by
# the merge-minimised union of itself and the scratch corpus.
#
# ONDULO_FUZZ_RUNS, when set, ends the run after that many inputs instead (or
# before, if SECONDS pass first).
set -euo pipefail

merge=0
if [[ ${1:-} == --merge ]]; then
  merge=1
  shift
fi
if [[ $# -ne 1 || ! $1 =~ ^[0-9]+$ ]]; then
  echo "Usage: $0 [--merge] SECONDS" >&2
  exit 2
fi
seconds=$1
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${ONDULO_CORPUS:-$repo/../shared/corpus}
max_len=1048576

cmake --preset fuzz -S "$repo" >/dev/null
cmake --build "$repo/build/fuzz" --target fuzz_wavedoc make_seeds -j2
bin=$repo/build/fuzz/fuzz

work=${ONDULO_FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/ondulo-fuzz.XXXXXX")}
mkdir -p "$work/corpus" "$work/artifacts"
cp "$repo"/fuzz/seeds/* "$work/corpus/"
if [[ -d $repo/fuzz/corpus ]]; then
  cp "$repo"/fuzz/corpus/* "$work/corpus/"
fi
if [[ -d $corpus ]]; then
  for file in "$corpus"/*.wav; do
    "$bin/make_seeds" trim "$file" "$work/corpus/real-$(basename "$file")"
  done
else
  echo "run-fuzz: no corpus at $corpus; fuzzing from fuzz/seeds and fuzz/corpus alone" >&2
fi

# A smaller quarantine keeps the resident size a measure of what the code itself holds.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}

runs=()
[[ -z ${ONDULO_FUZZ_RUNS:-} ]] || runs=(-runs="$ONDULO_FUZZ_RUNS")

status=0
(cd "$work" && "$bin/fuzz_wavedoc" corpus \
  -dict="$repo/fuzz/wav.dict" -max_total_time="$seconds" "${runs[@]}" -max_len=$max_len \
  -timeout=5 -rss_limit_mb=512 -malloc_limit_mb=64 -detect_leaks=1 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1) || status=$?

echo "run-fuzz: corpus now holds $(ls "$work/corpus" | wc -l) inputs"
if [[ $status -ne 0 || -n $(ls -A "$work/artifacts") ]]; then
  echo "run-fuzz: FINDING (status $status); inputs kept in $work/artifacts" >&2
  exit 1
fi

if [[ $merge -eq 1 ]]; then
  merged=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-fuzz-merged.XXXXXX")
  existing=()
  [[ ! -d $repo/fuzz/corpus ]] || existing=("$repo/fuzz/corpus")
  (cd "$work" && "$bin/fuzz_wavedoc" -merge=1 -max_len=$max_len -timeout=5 -rss_limit_mb=512 \
    -malloc_limit_mb=64 "$merged" "${existing[@]}" corpus)
  rm -rf "$repo/fuzz/corpus"
  mkdir -p "$repo/fuzz/corpus"
  cp "$merged"/* "$repo/fuzz/corpus/"
  rm -rf "$merged"
  echo "run-fuzz: fuzz/corpus now holds $(ls "$repo/fuzz/corpus" | wc -l) inputs," \
    "$(du -sh "$repo/fuzz/corpus" | cut -f1)"
fi

[[ -n ${ONDULO_FUZZ_WORK:-} ]] || rm -rf "$work"
echo "run-fuzz: no finding in $seconds s"
