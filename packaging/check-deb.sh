#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR (a configured build tree) and checks
# it without installing it: it holds the programs, the desktop entry, the icon,
# the metainfo, the manual pages and the Debian documents; lintian finds no
# error or warning; the desktop entry and the metainfo it ships validate.
# Usage: packaging/check-deb.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build_dir=$1

# CPack's DEB generator reads dependencies with file and dpkg-shlibdeps; the
# checks need lintian, desktop-file-utils and appstream.
for tool in file dpkg-shlibdeps dpkg-deb lintian desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-deb: $tool is missing; install the Debian packages file, dpkg-dev," \
      "lintian, desktop-file-utils and appstream" >&2
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
  ./usr/share/icons/hicolor/scalable/apps/ondulo.svg \
  ./usr/share/metainfo/org.ondulo.Ondulo.metainfo.xml \
  ./usr/share/man/man1/ondulo.1.gz \
  ./usr/share/man/man1/ondulo-dump.1.gz \
  ./usr/share/doc/ondulo/changelog.Debian.gz \
  ./usr/share/doc/ondulo/copyright; do
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
if ! dpkg-deb -f "$deb" Depends | grep -q libqt6multimedia6; then
  echo "check-deb: $deb does not depend on the Qt Multimedia library that plays the sound" >&2
  status=1
fi
if ! dpkg-deb -f "$deb" Depends | grep -q libebur128-1; then
  echo "check-deb: $deb does not depend on the loudness library libebur128" >&2
  status=1
fi

# Errors and warnings fail; info and pedantic notes are shown for a look.
echo "check-deb: lintian $deb"
if ! lintian --fail-on error,warning --info --pedantic "$deb"; then
  echo "check-deb: lintian finds errors or warnings in $deb" >&2
  status=1
fi

# The desktop entry and the metainfo as the package ships them.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop_notes=$(desktop-file-validate "$unpacked/usr/share/applications/ondulo.desktop" 2>&1) || status=1
if [ -n "$desktop_notes" ]; then
  echo "check-deb: desktop-file-validate: $desktop_notes" >&2
  status=1
fi
if ! appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.ondulo.Ondulo.metainfo.xml"; then
  echo "check-deb: the metainfo does not validate" >&2
  status=1
fi

if [ $status -eq 0 ]; then
  echo "check-deb: $deb is complete and passes lintian, desktop-file-validate and appstreamcli"
fi
exit $status
