#!/usr/bin/env bash
# A long recording through the whole program: 30 minutes (or as given) at
# 1280x720, 30 fps, from a virtual camera. The file passes 1 GiB; ffprobe must
# count every frame, ffmpeg decode it end to end, and the program's peak memory
# at the end must equal that after the first minute within 5%.
# Usage: bench/long/run.sh [build-dir] [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
RECORD_SECONDS=${2:-1800}
cmake --build "$BUILD" -j2 --target Frametide close-window ft_stamp_count >/dev/null
source "$ROOT/bench/support/frametide-session.sh"
start_display

# Keep the movie for the readers: record, then probe and decode before it goes.
record_and_check() {
  local size=1280x720 home="$FT_WORK/home-long"
  mkdir -p "$home/Pictures"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
    FRAMETIDE_TEST_DEVICES="video:Camera:$size@30;audio:Mic" "$BUILD/Frametide" &
  local program=$! window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^(Form1|Video Size: .*)$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 2
  ft_click "$window" 744 233
  ft_click "$window" 820 492
  sleep 60
  local first_minute
  first_minute=$(ft_peak_mib "$program")
  sleep $((RECORD_SECONDS - 60))
  local at_end
  at_end=$(ft_peak_mib "$program")
  ft_click "$window" 820 492
  sleep 1
  xdotool key Return
  sleep 2
  "$BUILD/tests/e2e/close-window" "$window"
  wait "$program"
  local movie counted declared errors bytes frames distinct first last
  movie=$(ls "$home/Pictures/Frametide/"*.avi)
  bytes=$(stat -c %s "$movie")
  read -r declared counted < <(ffprobe -v error -count_frames -select_streams v:0 \
      -show_entries stream=nb_frames,nb_read_frames -of csv=p=0:s=' ' "$movie")
  errors=$(ffmpeg -v error -i "$movie" -f null - 2>&1 | wc -l)
  read -r frames distinct first last < <("$BUILD/bench/program/ft_stamp_count" "$movie")
  printf '| %-8s | %8s | %10s | %13s | %14s | %13s | %9s | %16s | %12s |\n' seconds "file MiB" "camera fr." "frames (hdr)" "frames (read)" "decode errors" distinct "peak MiB @1 min" "peak MiB end"
  printf '|%s|\n' "----------|----------|------------|---------------|----------------|---------------|-----------|------------------|--------------"
  printf '| %8d | %8d | %10d | %13d | %14d | %13d | %8.1f%% | %16d | %12d |\n' "$RECORD_SECONDS" $((bytes / 1048576)) \
    $((last - first + 1)) "$declared" "$counted" "$errors" "$(echo "100 * $distinct / ($last - $first + 1)" | bc -l)" \
    "$first_minute" "$at_end"
}
record_and_check
