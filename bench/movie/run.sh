#!/bin/sh
# The movie writer's cost over the AVI service's, and ffmpeg's libxvid beside them.
# Usage: bench/movie/run.sh [BUILD_DIR]   (default: build-movie; builds ft_movie_bench)
# Each recording runs in its own process; peak memory is that process's maximum RSS.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-movie}
frames=${FRAMES:-300}
long_frames=${LONG_FRAMES:-3000}
cmake --build "$build" -j2 --target ft_movie_bench >/dev/null
bench=$build/bench/movie/ft_movie_bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

run() { "$bench" "$1" "$2" "$3" "$4" "$out/$1.avi"; }

# ffmpeg encoding a test source with libxvid: fps from wall time, CPU and peak memory from GNU time.
ffmpeg_row() {
    size=$1; n=$2
    start=$(date +%s.%N)
    /usr/bin/time -f "%U %S %M" -o "$out/time" ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=30" \
        -frames:v "$n" -c:v libxvid -vtag xvid -g 1 "$out/ffmpeg.avi"
    end=$(date +%s.%N)
    read -r user sys peak < "$out/time"
    awk -v s="$size" -v n="$n" -v w="$(echo "$end - $start" | bc)" -v u="$user" -v y="$sys" -v p="$peak" \
        'BEGIN { printf "ffmpeg %s %d %.1f %.5f %.1f\n", s, n, n / w, (u + y) / n, p / 1024 }'
}

{
    for size in 640x480 1280x720 1920x1080; do
        w=${size%x*}; h=${size#*x}
        run service "$w" "$h" "$frames"
        run writer "$w" "$h" "$frames"
        if command -v /usr/bin/time >/dev/null && command -v bc >/dev/null; then ffmpeg_row "$size" "$frames"; fi
    done
    run writer 640 480 "$long_frames"
} > "$out/rows"

printf '%-8s %-10s %6s %8s %14s %10s %14s %14s\n' path size frames fps cpu_s/frame peak_MB wall_vs_svc cpu_vs_svc
awk '
    $1 == "service" { fps[$2 " " $3] = $4; cpu[$2 " " $3] = $5 }
    {
        key = $2 " " $3; wall = ""; used = "";
        if ($1 == "writer" && (key in cpu)) {
            wall = sprintf("%+.1f%%", (fps[key] / $4 - 1) * 100);
            used = sprintf("%+.1f%%", ($5 / cpu[key] - 1) * 100);
        }
        printf "%-8s %-10s %6d %8.1f %14.5f %10.1f %14s %14s\n", $1, $2, $3, $4, $5, $6, wall, used
    }' "$out/rows"

awk -v short="$frames" -v long="$long_frames" '
    $1 == "writer" && $2 == "640x480" && $3 == short { a = $6 }
    $1 == "writer" && $2 == "640x480" && $3 == long { b = $6 }
    END { printf "\npeak memory, writer 640x480: %d frames %.1f MB, %d frames %.1f MB (%+.1f MB)\n", short, a, long, b, b - a }' "$out/rows"
