#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not the tests or the
# benchmarks) and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target ondulo
exec build/default/app/ondulo "$@"
