#!/usr/bin/env bash
# Installs what building and running Ondulo needs and builds its two
# programs, the window (ondulo) and ondulo-dump, with the preset `default`.
#   scripts/build-programs.sh            build them
#   scripts/build-programs.sh --measure  build them, print the build steps and
#                                        the CPU time they took, and say so
#                                        when the README gives another step
#                                        count
# Measured on a fresh build folder, the figures are those of a first run of
# scripts/run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null

if [ "${1:-}" != --measure ]; then
  cmake --build --preset default --target ondulo ondulo-dump
  exit 0
fi

# The CPU time of this shell's finished children, in clock ticks: the build's
# compilers are waited for by the build tool, and it by this shell.
children_ticks() { awk '{print $16 + $17}' "/proc/$$/stat"; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
before=$(children_ticks)
cmake --build --preset default --target ondulo ondulo-dump | tee "$log"
after=$(children_ticks)
# The total of the last progress line ("[182/182] Linking ..."); none when
# there was nothing to build.
steps=$( (grep -o '^\[[0-9]*/[0-9]*\]' "$log" || true) | tail -n 1 | sed 's/.*\/\([0-9]*\)\]/\1/')
seconds=$(( (after - before) / $(getconf CLK_TCK) ))
echo "Building the two programs: ${steps:-0} build steps, ${seconds} CPU-seconds on $(nproc) processors."
if [ -n "$steps" ] && ! grep -q "(${steps} build steps," README.md; then
  echo "build-programs: README.md gives another number of build steps than the ${steps} measured here;" \
    "set it to ${steps}." >&2
fi
