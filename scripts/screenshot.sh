#!/usr/bin/env bash
# Makes the README's screenshot again (docs/screenshot.png, or OUTPUT): the
# window under Xvfb with a loop from the test corpus analysed and its sampler
# chunk selected. The loop is shown as /home/user/Music/loop.wav: the program
# runs in a mount namespace of its own, where an empty /home replaces the real
# one, so no folder of this machine appears in the picture.
# Usage: scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
shown_path=/home/user/Music/loop.wav

case "${ONDULO_SCREENSHOT_STAGE:-}" in
"")
  scripts/install-deps.sh all
  # xdotool types into the window, import (ImageMagick) takes the picture.
  missing=()
  for p in xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  cmake --preset default >/dev/null
  cmake --build --preset default --target ondulo
  ONDULO_SCREENSHOT_STAGE=display exec xvfb-run -a -s "-screen 0 1024x768x24" "$self" "$out"
  ;;
display)
  # --map-root-user lets a user without root rights mount inside the namespace.
  ONDULO_SCREENSHOT_STAGE=namespace exec unshare --mount --propagation private --map-root-user "$self" "$out"
  ;;
namespace) ;;
*)
  echo "screenshot: unknown ONDULO_SCREENSHOT_STAGE=$ONDULO_SCREENSHOT_STAGE" >&2
  exit 2
  ;;
esac

mount -t tmpfs tmpfs /home
mkdir -p "$(dirname "$shown_path")"
cp tests/data/corpus/go-wav_flloop.wav "$shown_path"

runtime=$(mktemp -d)
HOME=/home/user XDG_RUNTIME_DIR=$runtime build/default/app/ondulo &
program=$!
trap 'kill $program 2>/dev/null || true; rm -rf "$runtime"' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ODL - Ondulo$' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 1
# The path box has the focus at start: type the path and analyse it, then go
# on through Search and Analyse to the chunk list and pick "smpl" by typing it.
xdotool type --delay 20 "$shown_path"
xdotool key Return
sleep 1
xdotool key --delay 100 Tab Tab Tab
xdotool type --delay 50 smpl
# Park the pointer on the status line, bottom left, away from every control.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 5 $((HEIGHT - 5))
sleep 1
import -window "$window" -define png:exclude-chunks=date,time "$out"
echo "screenshot: wrote $out"
