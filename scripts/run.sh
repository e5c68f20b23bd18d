#!/usr/bin/env bash
# Installs what is missing, builds Ondulo and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/app/ondulo "$@"
