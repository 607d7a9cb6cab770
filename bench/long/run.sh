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

FT_KEEP_MOVIE=1 record_with_frametide 1280x720 "$RECORD_SECONDS" > "$FT_WORK/recording"
read -r frames distinct camera _ peak first_minute bytes < "$FT_WORK/recording"
movie=$(cat "$FT_WORK/last-movie")
IFS=, read -r declared counted < <(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_frames,nb_read_frames -of csv=p=0 "$movie")
errors=$(ffmpeg -v error -i "$movie" -f null - 2>&1 | wc -l)

printf '| %-8s | %8s | %10s | %13s | %14s | %13s | %9s | %16s | %12s |\n' seconds "file MiB" "camera fr." \
  "frames (hdr)" "frames (read)" "decode errors" distinct "peak MiB @1 min" "peak MiB end"
printf '|%s|\n' "----------|----------|------------|---------------|----------------|---------------|-----------|------------------|--------------"
printf '| %8d | %8d | %10d | %13d | %14d | %13d | %8.1f%% | %16d | %12d |\n' "$RECORD_SECONDS" $((bytes / 1048576)) \
  "$camera" "$declared" "$counted" "$errors" "$(echo "100 * $distinct / $camera" | bc -l)" "$first_minute" "$peak"
[ "$frames" -eq "$counted" ] || echo "frames read by the stamp counter ($frames) differ from ffprobe's ($counted)"
