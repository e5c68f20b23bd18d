#!/usr/bin/env bash
# Installs what is missing, builds Ondulo and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
cmake --preset default
cmake --build --preset default
ctest --preset default
