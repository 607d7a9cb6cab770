# Shell functions for benchmarks that drive the real program on a virtual
# display with a virtual camera. Source it after setting ROOT and BUILD.
#   start_display                     starts Xvfb and exports DISPLAY
#   record_with_frametide SIZE SECS   records SECS seconds from a 30 fps camera of SIZE and prints
#       "frames distinct camera-frames cpu-s/frame peak-MiB peak-MiB-after-1-min bytes"
#   (CPU counted from the start of the recording to its stop.) The movie's path
#   is left in $FT_WORK/last-movie; with FT_KEEP_MOVIE=1 the movie is kept.

source "$ROOT/tests/devices/virtual-env.sh" "$BUILD"
FT_WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$FT_WORK"' EXIT

start_display() {
  exec 3> "$FT_WORK/display"
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 2>/dev/null &
  exec 3>&-
  for _ in $(seq 50); do [ -s "$FT_WORK/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$FT_WORK/display")"
}

ft_click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }

# CPU seconds (user + system) a process has used so far.
ft_cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat"; }

# The largest resident set of a process so far, in MiB.
ft_peak_mib() { awk '/^VmHWM/ { printf "%d", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo 0; }

record_with_frametide() {
  local size=$1 seconds=$2 home="$FT_WORK/home-$1-$2"
  mkdir -p "$home/Pictures"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
    FRAMETIDE_TEST_DEVICES="video:Camera:$size@30;audio:Mic" \
    /usr/bin/time -f "%U %S %M" -o "$FT_WORK/time" "$BUILD/Frametide" &
  local timer=$! window="" program=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^(Form1|Video Size: .*)$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  program=$(pgrep -P "$timer" | head -n 1)
  sleep 2
  ft_click "$window" 744 233   # Video
  ft_click "$window" 820 492   # GO!
  local cpu_at_start cpu_at_stop first_minute=0
  cpu_at_start=$(ft_cpu_seconds "$program")
  if [ "$seconds" -gt 60 ]; then
    sleep 60
    first_minute=$(ft_peak_mib "$program")
    sleep $((seconds - 60))
  else
    sleep "$seconds"
  fi
  cpu_at_stop=$(ft_cpu_seconds "$program")
  ft_click "$window" 820 492   # Stop
  sleep 1
  xdotool key Return           # closes the message box
  sleep 1
  "$BUILD/tests/e2e/close-window" "$window"
  wait "$timer"
  local movie frames distinct first last user sys rss
  movie=$(ls "$home/Pictures/Frametide/"*.avi)
  echo "$movie" > "$FT_WORK/last-movie"
  read -r frames distinct first last < <("$BUILD/bench/program/ft_stamp_count" "$movie")
  read -r user sys rss < "$FT_WORK/time"
  echo "$frames $distinct $((last - first + 1)) $(echo "($cpu_at_stop - $cpu_at_start) / $frames" | bc -l) $((rss / 1024)) $first_minute $(stat -c %s "$movie")"
  [ "${FT_KEEP_MOVIE:-0}" = 1 ] || rm -rf "$home"
}
