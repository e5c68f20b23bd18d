#!/usr/bin/env bash
# Fails, naming the places, when a C++ source file of the repository is not
# laid out as .clang-format says. `clang-format -i FILE` lays one out.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files laid out as .clang-format says"
