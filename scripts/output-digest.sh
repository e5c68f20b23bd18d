#!/usr/bin/env bash
# Prints one digest line per output form of ondulo-dump over the shared
# corpora, the test corpus, the fuzzing seeds and the fuzzing corpus, so that
# a change meant to keep behaviour can be shown to keep every byte: run it
# before and after, and compare.
# Usage: scripts/output-digest.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
dump=${1:-build/default}/app/dump/ondulo-dump
[ -x "$dump" ] || dump=${1:-build/default}/app/ondulo-dump
shared=../shared
sets=("$shared/corpus" "$shared/corpus2" tests/data/corpus fuzz/seeds fuzz/corpus-structure)
forms=("" "--json" "--jsonl" "--check" "--structure" "--structure --json" "--check --json")
for set in "${sets[@]}"; do
  [ -d "$set" ] || continue
  mapfile -t files < <(find "$set" -type f ! -name '*.md' | LC_ALL=C sort)
  for form in "${forms[@]}"; do
    # shellcheck disable=SC2086 # the form is a list of options
    digest=$( { "$dump" $form -j 1 -- "${files[@]}" 2>&1; echo "exit $?"; } | md5sum | cut -d' ' -f1)
    printf '%s\t%s\t%s\n' "$set" "${form:-text}" "$digest"
  done
done
