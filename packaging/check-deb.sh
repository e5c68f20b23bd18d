#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR (a configured build tree) and checks
# that it holds both programs, the desktop entry and the icon.
# Usage: packaging/check-deb.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build_dir=$1

# CPack's DEB generator reads dependencies with file and dpkg-shlibdeps.
for tool in file dpkg-shlibdeps dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-deb: $tool is missing; install the Debian packages file and dpkg-dev" >&2
    exit 1
  fi
done

# A package left from an earlier version would be taken for this one.
rm -f "$build_dir"/ondulo_*.deb
cmake --build "$build_dir" --target package

shopt -s nullglob
debs=("$build_dir"/ondulo_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "check-deb: expected one ondulo_*.deb in $build_dir, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}

contents=$(dpkg-deb -c "$deb")
status=0
for path in \
  ./usr/bin/ondulo \
  ./usr/bin/ondulo-dump \
  ./usr/share/applications/ondulo.desktop \
  ./usr/share/icons/hicolor/scalable/apps/ondulo.svg; do
  if ! grep -qE "[[:space:]]${path//./\\.}( |$)" <<<"$contents"; then
    echo "check-deb: $deb lacks $path" >&2
    status=1
  fi
done

if [ "$(dpkg-deb -f "$deb" Package)" != ondulo ]; then
  echo "check-deb: $deb is not named ondulo" >&2
  status=1
fi
if ! dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6; then
  echo "check-deb: $deb does not depend on the Qt widgets library" >&2
  status=1
fi

if [ $status -eq 0 ]; then
  echo "check-deb: $deb holds the programs, the desktop entry and the icon"
fi
exit $status
