#!/bin/sh
# The movie writer's cost over the AVI service's own, with ffmpeg's libxvid beside them.
# Usage: bench/movie/run.sh [BUILD_DIR]   (default: build-movie; builds ft_movie_bench)
# Environment: FRAMES (300), LONG_FRAMES (3000), REPEAT (3, best run kept).
#
# Each recording runs in its own process; peak memory is that process's maximum RSS.
# Columns, per frame:
#   cpu_ms     CPU time of the whole process (the service's encoder threads included)
#   handoff_ms making and filling the 32-bit hand-off bitmap (the window's share of the path)
#   writer_ms  the writer's own work on the calling thread (header query, GetDIBits copy),
#              the service's write excluded, less the same figure of the service's own path
#   writer%    writer_ms against the service's cpu_ms: the writer's addition (limit 10%)
#   path%      handoff_ms + writer_ms against the service's cpu_ms: the whole hand-off path
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-movie}
frames=${FRAMES:-300}
long_frames=${LONG_FRAMES:-3000}
repeat=${REPEAT:-3}
cmake --build "$build" -j2 --target ft_movie_bench >/dev/null
bench=$build/bench/movie/ft_movie_bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The best of $repeat runs, field by field: fastest, least CPU, largest peak.
best() {
    i=0
    while [ "$i" -lt "$repeat" ]; do "$bench" "$1" "$2" "$3" "$4" "$out/$1.avi"; i=$((i + 1)); done |
        awk '{ m = $1; s = $2; n = $3
               if (NR == 1 || $4 > f) f = $4; if (NR == 1 || $5 < c) c = $5; if (NR == 1 || $6 < o) o = $6
               if (NR == 1 || $7 < h) h = $7; if ($8 > p) p = $8 }
             END { printf "%s %s %d %.1f %.5f %.5f %.5f %.1f\n", m, s, n, f, c, o, h, p }'
}

# ffmpeg encoding a test source with libxvid, every frame a key frame.
ffmpeg_row() {
    start=$(date +%s.%N)
    /usr/bin/time -f "%U %S %M" -o "$out/time" ffmpeg -v error -y -f lavfi -i "testsrc2=size=$1:rate=30" \
        -frames:v "$2" -c:v libxvid -vtag xvid -g 1 "$out/ffmpeg.avi"
    end=$(date +%s.%N)
    read -r user sys peak < "$out/time"
    awk -v s="$1" -v n="$2" -v w="$(echo "$end - $start" | bc)" -v u="$user" -v y="$sys" -v p="$peak" \
        'BEGIN { printf "ffmpeg %s %d %.1f %.5f 0 0 %.1f\n", s, n, n / w, (u + y) / n, p / 1024 }'
}

{
    for size in 640x480 1280x720 1920x1080; do
        w=${size%x*}; h=${size#*x}
        best service "$w" "$h" "$frames"
        best writer "$w" "$h" "$frames"
        ffmpeg_row "$size" "$frames"
    done
    best writer 640 480 "$long_frames"
} > "$out/rows"

printf '%-8s %-10s %6s %7s %8s %11s %10s %8s %8s %8s\n' \
    path size frames fps cpu_ms handoff_ms writer_ms peak_MB writer% path%
awk '
    $1 == "service" { cpu[$2 " " $3] = $5; own[$2 " " $3] = $6 }
    {
        handoff = ""; writer = ""; wp = ""; pp = ""
        if ($1 == "writer" && (($2 " " $3) in cpu)) {
            extra = $6 - own[$2 " " $3]
            handoff = sprintf("%.3f", $7 * 1000); writer = sprintf("%.3f", extra * 1000)
            wp = sprintf("%+.1f%%", extra / cpu[$2 " " $3] * 100); pp = sprintf("%+.1f%%", ($7 + extra) / cpu[$2 " " $3] * 100)
        }
        printf "%-8s %-10s %6d %7.1f %8.3f %11s %10s %8.1f %8s %8s\n", $1, $2, $3, $4, $5 * 1000, handoff, writer, $8, wp, pp
    }' "$out/rows"

awk -v short="$frames" -v long="$long_frames" '
    $1 == "writer" && $2 == "640x480" && $3 == short { a = $8 }
    $1 == "writer" && $2 == "640x480" && $3 == long { b = $8 }
    END { printf "\npeak memory, writer 640x480: %d frames %.1f MB, %d frames %.1f MB (%+.1f MB)\n", short, a, long, b, b - a }' "$out/rows"
