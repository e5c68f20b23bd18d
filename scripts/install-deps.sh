#!/usr/bin/env bash
# Installs the Debian packages Ondulo needs, skipping those already present.
# Runs apt-get non-interactively, through sudo when not root.
#   scripts/install-deps.sh        what building and running the program needs
#   scripts/install-deps.sh all    that and what the tests, benchmarks, fuzzing,
#                                  formatting and packaging checks need
set -euo pipefail

# Building and running: the compiler, CMake, Qt, and the test libraries that
# configuring the default build looks for (they are small; the tests
# themselves are not built for running).
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-multimedia-dev libgl-dev fonts-dejavu-core libexpat1-dev libebur128-dev
  libgtest-dev libgmock-dev libbenchmark-dev
)
case ${1:-} in
  "") ;;
  all)
    # clang and LLVM (about 250 MB) for fuzzing and formatting, Xvfb for the
    # screenshot, what the package checks use, Python and GNU parallel for
    # the tests of ondulo-dump over many files, the readers the reader
    # panel compares the check with (libsndfile, FFmpeg, SoX, SciPy, mutagen; Python's wave
    # comes with python3), and valgrind, whose instruction counts the speed
    # guard compares.
    packages+=(clang clang-format libclang-rt-14-dev llvm xvfb xauth file dpkg-dev python3 parallel
      libsndfile1-dev ffmpeg sox python3-scipy python3-mutagen valgrind)
    ;;
  *)
    echo "Usage: $0 [all]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
