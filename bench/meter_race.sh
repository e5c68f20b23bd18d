#!/usr/bin/env bash
# ondulo-dump --measure against FFmpeg's ebur128 filter with true peak on the
# same file: 48 kHz stereo 24-bit noise of MB megabytes (default 200), then a
# collection of four such files of a quarter the size with -j 2. For each,
# the shortest wall time of RUNS runs (default 3), the CPU time (user +
# system) of that run and the largest peak memory. On a machine shared with
# other work the wall times are noisy: the shortest is the least disturbed,
# and the CPU times say what each costs whatever the load.
#
#   bench/meter_race.sh [MB]
#
# It builds nothing. Build first:
#   cmake --preset default && cmake --build --preset default --target ondulo-dump
set -euo pipefail
cd "$(dirname "$0")/.."

dump=$PWD/build/default/app/dump/ondulo-dump
mb=${1:-200}
# shellcheck source=measure.sh
. bench/measure.sh
require_built "$dump" "cmake --preset default && cmake --build --preset default --target ondulo-dump"
command -v ffmpeg > /dev/null || install_missing ffmpeg

work=$(mktemp -d "${TMPDIR:-/tmp}/ondulo-meters.XXXXXX")
trap 'rm -rf "$work"' EXIT
# 6 bytes a frame at 48 kHz.
seconds=$((mb * 1000000 / 288000))
ffmpeg -v error -f lavfi -i "anoisesrc=d=$seconds:c=pink:r=48000:a=0.3" -ac 2 -c:a pcm_s24le "$work/big.wav"
mkdir "$work/collection"
for i in 1 2 3 4; do
  ffmpeg -v error -f lavfi -i "anoisesrc=d=$((seconds / 4)):c=pink:r=48000:a=0.3:s=$i" -ac 2 \
    -c:a pcm_s24le "$work/collection/$i.wav"
done

# race NAME COMMAND...: the shortest wall time, its CPU time and the peak memory.
race() {
  local name=$1 best="" cpu="" kb=0 i line
  shift
  for ((i = 0; i < ${RUNS:-3}; i++)); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" > /dev/null 2> "$work/stderr.txt"
    line=$(tail -n 1 "$work/time.txt")
    read -r wall user system peak <<< "$line"
    [ "$peak" -gt "$kb" ] && kb=$peak
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$wall
      cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    fi
  done
  printf '%-44s %8s s wall %8s s CPU %6d MB\n' "$name" "$best" "$cpu" $((kb / 1024))
}

echo "$(nproc) processors; $mb MB of 48 kHz stereo 24-bit"
race "ondulo-dump --measure" "$dump" --measure "$work/big.wav"
race "ffmpeg -af ebur128=peak=true" ffmpeg -nostats -i "$work/big.wav" -af ebur128=peak=true -f null -
race "ondulo-dump --measure -j 2 (4 files)" "$dump" --measure -j 2 -r "$work/collection"
race "ffmpeg ebur128=peak=true, 4 files, 2 at once" \
  sh -c "ls $work/collection/*.wav | xargs -P 2 -I{} ffmpeg -nostats -i {} -af ebur128=peak=true -f null - 2> /dev/null"
