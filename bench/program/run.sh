#!/usr/bin/env bash
# The whole program recording 20 seconds from a 30 fps virtual camera at 1280x720
# and 1920x1080 on a virtual display, beside a GStreamer pipeline recording the
# same camera picture (YUY2, as the virtual camera gives it) to an MPEG-4 AVI
# with every frame a key frame at quantizer 4, the quality Frametide records at.
# Frametide's CPU is counted from the start of the recording to its stop.
# Goal at 1920x1080: at least 98% of the camera's frames reach the file as
# distinct pictures, at no more CPU per frame than the peer.
# Usage: bench/program/run.sh [build-dir] [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
RECORD_SECONDS=${2:-20}
cmake --build "$BUILD" -j2 --target Frametide close-window ft_stamp_count >/dev/null
source "$ROOT/bench/support/frametide-session.sh"
start_display

record_with_gstreamer() {
  local size=$1 width=${1%x*} height=${1#*x} frames=$((RECORD_SECONDS * 30))
  /usr/bin/time -f "%U %S %M" -o "$FT_WORK/peer-time-$size" gst-launch-1.0 -q \
    videotestsrc is-live=true horizontal-speed=4 num-buffers=$frames \
    ! "video/x-raw,format=YUY2,width=$width,height=$height,framerate=30/1" ! frametidestamp ! videoconvert \
    ! avenc_mpeg4 gop-size=1 pass=quant quantizer=4 ! avimux ! filesink location="$FT_WORK/peer-$size.avi" >/dev/null
  read -r got distinct first last < <("$BUILD/bench/program/ft_stamp_count" "$FT_WORK/peer-$size.avi")
  read -r user sys rss < "$FT_WORK/peer-time-$size"
  echo "$got $distinct $frames $(echo "($user + $sys) / $got" | bc -l) $((rss / 1024))"
}

printf '| %-9s | %-26s | %11s | %12s | %9s | %11s | %8s |\n' size recorder "camera fr." "frames in file" distinct "CPU s/frame" "peak MiB"
printf '|%s|\n' "-----------|----------------------------|-------------|--------------|-----------|-------------|----------"
for size in 1280x720 1920x1080; do
  read -r frames distinct camera cpu rss _ _ < <(record_with_frametide "$size" "$RECORD_SECONDS")
  printf '| %-9s | %-26s | %11d | %12d | %8.1f%% | %11.4f | %8d |\n' "$size" "Frametide (whole program)" \
    "$camera" "$frames" "$(echo "100 * $distinct / $camera" | bc -l)" "$cpu" "$rss"
  read -r frames distinct camera cpu rss < <(record_with_gstreamer "$size")
  printf '| %-9s | %-26s | %11d | %12d | %8.1f%% | %11.4f | %8d |\n' "$size" "GStreamer avenc_mpeg4 peer" \
    "$camera" "$frames" "$(echo "100 * $distinct / $camera" | bc -l)" "$cpu" "$rss"
done
