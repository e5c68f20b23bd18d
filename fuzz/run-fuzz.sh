#!/usr/bin/env bash
# Builds the fuzz preset and runs the fuzz targets for SECONDS in all, one
# after the other, each over a scratch copy of its seeds:
#   wavedoc    fuzz_wavedoc: inputs up to 1 MB, each loaded from memory and
#              from a file; seeds fuzz/seeds and the minimised fuzz/corpus.
#   structure  fuzz_structure: inputs up to 64 KB, loaded from memory alone,
#              many more a second; seeds fuzz/seeds and fuzz/corpus-structure.
#   tags       fuzz_tags: the content of one ID3, XML or bext chunk (the first
#              byte picks which), up to 2 KB, in memory; fuzz/corpus-tags.
#   summarise  fuzz_summarise: bytes read as --summarise reads JSON Lines, up
#              to 1 KB; fuzz/corpus-summarise.
#   mend       fuzz_mend: inputs up to 64 KB written to a file and mended to
#              a copy, which is checked again: any input mends or says why
#              not; seeds fuzz/seeds and fuzz/corpus-mend.
#   diff       fuzz_diff: inputs up to 16 KB written to a file and diffed
#              against a near copy (a byte changed, a few cut from the end)
#              both ways round: the same answer, added and dropped swapped;
#              seeds fuzz/seeds and fuzz/corpus-diff.
#   models     fuzz_structure_models: the structure window's item models over
#              each input's analysis, up to 2 KB, written to a file; seeds
#              fuzz/corpus-models (small real files, trimmed).
# The first two also start from the shared corpus of real files (the directory in
# ONDULO_CORPUS, by default ../shared/corpus beside the clone), each real file
# trimmed to a few bytes of audio, and both mutate through the structure-aware
# mutator (riff_mutator.h), as does models over its own corpus. By default
# SECONDS is split between the targets (wavedoc takes what does not divide
# evenly); --target NAME runs one of them for all of SECONDS.
#
# Exits non-zero on any finding of any target: a crash, a sanitizer report,
# a leak, a hang over 5 s, more than 512 MB resident, or one allocation over
# 64 MB. Every target runs even when an earlier one has a finding. The scratch
# directory is removed after a clean run unless ONDULO_FUZZ_WORK names it (a
# later run with the same directory goes on from the corpora it grew: corpus
# for wavedoc, corpus-structure for structure); after a finding it is kept and
# printed, the inputs in its artifacts folder (structure- before the names of
# fuzz_structure's).
#
# Nothing is written into the repository except the build tree build/fuzz,
# unless --merge is given: then, after a clean run, the corpus folder of each
# target that ran is replaced by the merge-minimised union of itself and its
# scratch corpus (for structure, the smallest set of inputs that covers the
# same features, so that its many deep 64 KB inputs do not pile up).
#
# --fast builds and runs the fuzz-fast preset instead: UndefinedBehavior-
# Sanitizer alone, many times as many inputs a second, for long runs that aim
# at volume; it still catches crashes, hangs, deep recursion, undefined
# behaviour, the resident limit and large allocations, but no leaks and no
# reads past a buffer that stay inside mapped memory.
#
# ONDULO_FUZZ_MAX_LEN, when set, caps the length of the inputs of both
# targets: small inputs (a few KB) run many times as many a second.
#
# ONDULO_FUZZ_RUNS, when set, ends each target's run after that many inputs
# instead (or before, if its seconds pass first).
set -euo pipefail

usage() {
  echo "Usage: $0 [--merge] [--fast] [--target wavedoc|structure|tags|summarise|mend|diff|models] SECONDS" >&2
  exit 2
}

merge=0
preset=fuzz
targets=(wavedoc structure tags summarise mend diff models)
while [[ $# -gt 1 ]]; do
  case $1 in
    --merge) merge=1; shift ;;
    --fast) preset=fuzz-fast; shift ;;
    --target)
      [[ ${2:-} =~ ^(wavedoc|structure|tags|summarise|mend|diff|models)$ ]] || usage
      targets=("$2")
      shift 2
      ;;
    *) usage ;;
  esac
done
if [[ $# -ne 1 || ! $1 =~ ^[0-9]+$ ]]; then
  usage
fi
seconds=$1
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${ONDULO_CORPUS:-$repo/../shared/corpus}

# What tells the targets apart: program, repository corpus, scratch corpus,
# longest input, artifact name prefix, how --merge minimises.
declare -A program=([wavedoc]=fuzz_wavedoc [structure]=fuzz_structure [tags]=fuzz_tags
  [summarise]=fuzz_summarise [mend]=fuzz_mend [diff]=fuzz_diff [models]=fuzz_structure_models)
declare -A kept=([wavedoc]=$repo/fuzz/corpus [structure]=$repo/fuzz/corpus-structure
  [tags]=$repo/fuzz/corpus-tags [summarise]=$repo/fuzz/corpus-summarise [mend]=$repo/fuzz/corpus-mend [diff]=$repo/fuzz/corpus-diff
  [models]=$repo/fuzz/corpus-models)
declare -A scratch=([wavedoc]=corpus [structure]=corpus-structure [tags]=corpus-tags
  [summarise]=corpus-summarise [mend]=corpus-mend [diff]=corpus-diff [models]=corpus-models)
declare -A max_len=([wavedoc]=${ONDULO_FUZZ_MAX_LEN:-1048576} [structure]=${ONDULO_FUZZ_MAX_LEN:-65536}
  [tags]=${ONDULO_FUZZ_MAX_LEN:-2048} [summarise]=${ONDULO_FUZZ_MAX_LEN:-1024} [mend]=${ONDULO_FUZZ_MAX_LEN:-65536} [diff]=${ONDULO_FUZZ_MAX_LEN:-16384}
  [models]=${ONDULO_FUZZ_MAX_LEN:-2048})
declare -A prefix=([wavedoc]="" [structure]=structure- [tags]=tags- [summarise]=summarise-
  [mend]=mend- [diff]=diff- [models]=models-)
declare -A merge_flag=([wavedoc]=-merge=1 [structure]=-set_cover_merge=1 [tags]=-merge=1
  [summarise]=-merge=1 [mend]=-merge=1 [diff]=-merge=1 [models]=-merge=1)
# Whether a target reads WAV files (the dictionary of chunk ids and the
# structure-aware mutator's inputs), and whether it starts from the
# generated seeds and the trimmed real files too: the models target, slower
# an input, keeps to its own small corpus.
declare -A wav=([wavedoc]=1 [structure]=1 [tags]=0 [summarise]=0 [mend]=1 [diff]=1 [models]=1)
declare -A seeded=([wavedoc]=1 [structure]=1 [tags]=0 [summarise]=0 [mend]=1 [diff]=1 [models]=0)

# Each target's share of the time: all of it for one, else an even share
# each, the first taking what does not divide; never 0, which libFuzzer reads
# as no limit.
declare -A share
for target in "${targets[@]}"; do
  share[$target]=$((seconds / ${#targets[@]}))
done
share[${targets[0]}]=$((share[${targets[0]}] + seconds % ${#targets[@]}))
for target in "${targets[@]}"; do
  [[ ${share[$target]} -gt 0 ]] || share[$target]=1
done

cmake --preset "$preset" -S "$repo" >/dev/null
cmake --build "$repo/build/$preset" --target fuzz_wavedoc fuzz_structure fuzz_tags fuzz_summarise \
  fuzz_mend fuzz_diff fuzz_structure_models make_seeds -j2
bin=$repo/build/$preset/fuzz

work=${ONDULO_FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/ondulo-fuzz.XXXXXX")}
mkdir -p "$work/artifacts" "$work/real"
if [[ -d $corpus ]]; then
  for file in "$corpus"/*.wav; do
    "$bin/make_seeds" trim "$file" "$work/real/real-$(basename "$file")"
  done
else
  echo "run-fuzz: no corpus at $corpus; fuzzing from the seeds and corpora in fuzz/ alone" >&2
fi

# A smaller quarantine keeps the resident size a measure of what the code itself holds.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}

runs=()
[[ -z ${ONDULO_FUZZ_RUNS:-} ]] || runs=(-runs="$ONDULO_FUZZ_RUNS")
limits=(-timeout=5 -rss_limit_mb=512 -malloc_limit_mb=64)
[[ $preset == fuzz-fast ]] || limits+=(-detect_leaks=1)

status=0
for target in "${targets[@]}"; do
  mkdir -p "$work/${scratch[$target]}"
  dict=()
  if [[ ${seeded[$target]} -eq 1 ]]; then
    cp "$repo"/fuzz/seeds/* "$work/${scratch[$target]}/"
    cp "$work"/real/* "$work/${scratch[$target]}/" 2>/dev/null || true
  fi
  [[ ${wav[$target]} -eq 0 ]] || dict=(-dict="$repo/fuzz/wav.dict")
  if [[ -d ${kept[$target]} ]]; then
    cp "${kept[$target]}"/* "$work/${scratch[$target]}/"
  fi
  echo "run-fuzz: ${program[$target]} for ${share[$target]} s"
  (cd "$work" && "$bin/${program[$target]}" "${scratch[$target]}" \
    "${dict[@]}" -max_total_time="${share[$target]}" "${runs[@]}" \
    -max_len="${max_len[$target]}" "${limits[@]}" \
    -artifact_prefix="$work/artifacts/${prefix[$target]}" -print_final_stats=1) || status=$?
  echo "run-fuzz: ${scratch[$target]} now holds $(ls "$work/${scratch[$target]}" | wc -l) inputs"
done

if [[ $status -ne 0 || -n $(ls -A "$work/artifacts") ]]; then
  echo "run-fuzz: FINDING (status $status); inputs kept in $work/artifacts" >&2
  exit 1
fi

if [[ $merge -eq 1 ]]; then
  for target in "${targets[@]}"; do
    merged=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-fuzz-merged.XXXXXX")
    existing=()
    [[ ! -d ${kept[$target]} ]] || existing=("${kept[$target]}")
    (cd "$work" && "$bin/${program[$target]}" "${merge_flag[$target]}" -max_len="${max_len[$target]}" "${limits[@]}" \
      "$merged" "${existing[@]}" "${scratch[$target]}")
    rm -rf "${kept[$target]}"
    mkdir -p "${kept[$target]}"
    cp "$merged"/* "${kept[$target]}/"
    rm -rf "$merged"
    echo "run-fuzz: ${kept[$target]#"$repo"/} now holds $(ls "${kept[$target]}" | wc -l) inputs," \
      "$(du -sh "${kept[$target]}" | cut -f1)"
  done
fi

[[ -n ${ONDULO_FUZZ_WORK:-} ]] || rm -rf "$work"
echo "run-fuzz: no finding in $seconds s"
