#!/usr/bin/env bash
# Installs what is missing, builds the two programs (not the tests or the
# benchmarks) and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-programs.sh
exec build/default/app/ondulo "$@"
