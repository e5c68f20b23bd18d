#!/usr/bin/env bash
# Installs the Debian package DEB with apt-get, runs what it installed and
# removes it again: /usr/bin/ondulo-dump --version and a real WAV file through
# it, the window for a moment on Qt's offscreen platform, the manual pages,
# and the installed desktop entry and metainfo. Needs root (or sudo).
# Usage: packaging/check-install.sh DEB
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DEB" >&2
  exit 2
fi
deb=$(realpath "$1")
corpus="$(cd "$(dirname "$0")/.." && pwd)/tests/data/corpus"

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }

if dpkg-query -W -f='${Status}' ondulo 2>/dev/null | grep -q "install ok installed"; then
  echo "check-install: ondulo is installed already; remove it first" >&2
  exit 1
fi
apt_get install "$deb"
trap 'apt_get remove ondulo >/dev/null' EXIT

status=0
fail() {
  echo "check-install: $*" >&2
  status=1
}

# The version the program reports is the package's, less the Debian revision.
package_version=$(dpkg-deb -f "$deb" Version)
expected="ondulo-dump ${package_version%-*}"
actual=$(/usr/bin/ondulo-dump --version) || fail "ondulo-dump --version failed"
[ "$actual" = "$expected" ] || fail "ondulo-dump --version says \"$actual\", expected \"$expected\""

if ! listing=$(/usr/bin/ondulo-dump "$corpus/go-wav_flloop.wav"); then
  fail "ondulo-dump could not read go-wav_flloop.wav"
elif ! grep -q '^\[smpl\]$' <<<"$listing"; then
  fail "ondulo-dump lists no smpl chunk for go-wav_flloop.wav"
fi

# The window must start and keep running until timeout ends it (status 124).
window_status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/ondulo || window_status=$?
[ $window_status -eq 124 ] || fail "the installed ondulo exited with status $window_status within 3 seconds"

# Slim container images tell dpkg to leave manual pages out (path-exclude).
for page in ondulo ondulo-dump; do
  file=/usr/share/man/man1/$page.1.gz
  if [ -f "$file" ]; then
    man -l "$file" 2>/dev/null | grep -q "$page" || fail "man cannot show $file"
  elif grep -rqs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
    echo "check-install: dpkg here leaves out manual pages; $file not checked"
  else
    fail "$file is not installed"
  fi
done

desktop_notes=$(desktop-file-validate /usr/share/applications/ondulo.desktop 2>&1) || status=1
[ -z "$desktop_notes" ] || fail "desktop-file-validate: $desktop_notes"
appstreamcli validate --no-net /usr/share/metainfo/org.ondulo.Ondulo.metainfo.xml >/dev/null ||
  fail "the installed metainfo does not validate"

if [ $status -eq 0 ]; then
  echo "check-install: the installed ondulo and ondulo-dump run; removing the package"
fi
exit $status
