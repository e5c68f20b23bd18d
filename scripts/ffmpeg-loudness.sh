#!/usr/bin/env bash
# Writes tests/data/ffmpeg_loudness.tsv: for each WAV file of the shared
# collections, the integrated loudness (LUFS) and true peak (dBTP) FFmpeg's
# ebur128 filter gives, as its summary prints them (one decimal; "-" when
# FFmpeg reads no audio). The sound tests compare the measuring pass with it.
set -euo pipefail
cd "$(dirname "$0")/.."
shared=${1:-../shared}
out=tests/data/ffmpeg_loudness.tsv
{
  echo "# file	integrated	true peak	($(ffmpeg -version | head -1 | cut -d' ' -f1-3), -af ebur128=peak=true)"
  for f in "$shared"/corpus/*.wav "$shared"/corpus2/*.wav; do
    summary=$(timeout 60 ffmpeg -nostats -hide_banner -i "$f" -af ebur128=peak=true -f null - 2>&1 |
      sed -n '/Summary:/,$p' || true)
    integrated=$(awk '/^ *I:/ {print $2; exit}' <<<"$summary")
    peak=$(awk '/^ *Peak:/ {print $2; exit}' <<<"$summary")
    printf '%s\t%s\t%s\n' "${f#"$shared"/}" "${integrated:--}" "${peak:--}"
  done
} >"$out"
echo "ffmpeg-loudness: $(grep -vc '^#' "$out") files in $out"
