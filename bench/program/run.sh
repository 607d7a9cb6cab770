#!/usr/bin/env bash
# The whole program recording 20 seconds from a 30 fps virtual camera at 1280x720
# and 1920x1080 on a virtual display, beside a GStreamer pipeline recording the
# same camera picture to an MPEG-4 AVI with every frame a key frame.
# Goal at 1920x1080: at least 98% of the camera's frames reach the file as
# distinct pictures, at no more CPU per frame than the peer.
# Usage: bench/program/run.sh [build-dir] [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
RECORD_SECONDS=${2:-20}
cmake --build "$BUILD" -j2 --target Frametide close-window ft_stamp_count >/dev/null
source "$ROOT/tests/devices/virtual-env.sh" "$BUILD"
WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT

exec 3> "$WORK/display"
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 2>/dev/null &
exec 3>&-
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$WORK/display")"

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }

# Prints: frames-in-file distinct-pictures camera-frames cpu-s/frame peak-MiB
record_with_frametide() {
  local size=$1 home="$WORK/home-$1"
  mkdir -p "$home/Pictures"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
    FRAMETIDE_TEST_DEVICES="video:Camera:$size@30;audio:Mic" \
    /usr/bin/time -f "%U %S %M" -o "$WORK/time-$size" "$BUILD/Frametide" &
  local pid=$! window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^(Form1|Video Size: .*)$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 2
  click "$window" 740 233   # Video
  click "$window" 820 492   # GO!
  sleep "$RECORD_SECONDS"
  click "$window" 820 492   # Stop
  sleep 1
  xdotool key Return        # close the message box
  sleep 1
  "$BUILD/tests/e2e/close-window" "$window"
  wait "$pid"
  local movie
  movie=$(ls "$home/Pictures/Frametide/"*.avi)
  read -r frames distinct first last < <("$BUILD/bench/program/ft_stamp_count" "$movie")
  read -r user sys rss < "$WORK/time-$size"
  echo "$frames $distinct $((last - first + 1)) $(echo "($user + $sys) / $frames" | bc -l) $((rss / 1024))"
}

record_with_gstreamer() {
  local size=$1 width=${1%x*} height=${1#*x} frames=$((RECORD_SECONDS * 30))
  /usr/bin/time -f "%U %S %M" -o "$WORK/peer-time-$size" gst-launch-1.0 -q \
    videotestsrc is-live=true horizontal-speed=4 num-buffers=$frames \
    ! "video/x-raw,width=$width,height=$height,framerate=30/1" ! frametidestamp ! videoconvert \
    ! avenc_mpeg4 gop-size=1 ! avimux ! filesink location="$WORK/peer-$size.avi" >/dev/null
  read -r got distinct first last < <("$BUILD/bench/program/ft_stamp_count" "$WORK/peer-$size.avi")
  read -r user sys rss < "$WORK/peer-time-$size"
  echo "$got $distinct $frames $(echo "($user + $sys) / $got" | bc -l) $((rss / 1024))"
}

printf '| %-9s | %-26s | %11s | %12s | %9s | %11s | %8s |\n' size recorder "camera fr." "frames in file" distinct "CPU s/frame" "peak MiB"
printf '|%s|\n' "-----------|----------------------------|-------------|--------------|-----------|-------------|----------"
for size in 1280x720 1920x1080; do
  read -r frames distinct camera cpu rss < <(record_with_frametide "$size")
  printf '| %-9s | %-26s | %11d | %12d | %8.1f%% | %11.4f | %8d |\n' "$size" "Frametide (whole program)" \
    "$camera" "$frames" "$(echo "100 * $distinct / $camera" | bc -l)" "$cpu" "$rss"
  read -r frames distinct camera cpu rss < <(record_with_gstreamer "$size")
  printf '| %-9s | %-26s | %11d | %12d | %8.1f%% | %11.4f | %8d |\n' "$size" "GStreamer avenc_mpeg4 peer" \
    "$camera" "$frames" "$(echo "100 * $distinct / $camera" | bc -l)" "$cpu" "$rss"
done
