#!/usr/bin/env bash
# melodar_window_bench.sh DB TRACK [SECONDS]
#
# The CPU load of the real Melodar window under a virtual display: first idle (the
# signal picture redrawn every 250 ms while TRACK plays through Echoline's file
# mode), then with the automatic search every second against DB, each for SECONDS
# (default 60). Reported as the share of one core, for the window's process alone
# and with the helper. With MELODAR_BENCH_SHOT=FILE.png the screen is saved at the
# end, to see that the automatic search ran ("Стоп" on its button, a result). The program runs from a folder of its own, with a
# Melodar.ini there naming DB, as an installed copy would; the automatic search is
# switched on by its shortcut (Ctrl+U, through xdotool). For the 1,000-hour
# database see build/bin/search_bench (it leaves bench-1000h.db in its WORKDIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
db=$(realpath "${1:?usage: melodar_window_bench.sh DB TRACK [SECONDS]}")
track=${2:?usage: melodar_window_bench.sh DB TRACK [SECONDS]}
seconds=${3:-60}
work=$(mktemp -d)
pid= xvfb=
trap 'kill $pid $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/bin"
cp "$root/build/bin/Melodar" "$root/build/bin/Echoline" "$work/bin/"
cp -r "$root/build/bin/content" "$work/bin/"
printf '[DataBase]\nDBPath=%s\n' "$db" > "$work/bin/Melodar.ini"
ffmpeg -v error -nostdin -y -i "$track" -ac 2 -ar 48000 -c:a pcm_s16le "$work/play.wav"

# CPU seconds (user + system) used so far by a process, from /proc/PID/stat.
cpu() {
  local ticks
  ticks=$(awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0)
  echo "$ticks / $(getconf CLK_TCK)" | bc -l
}
helper_of() { pgrep -P "$1" -x Echoline | head -n1; }

# Measures both processes over the given seconds; prints the two shares of a core.
measure() {
  local helper w0 h0 w1 h1
  helper=$(helper_of "$pid")
  w0=$(cpu "$pid"); h0=$(cpu "$helper")
  sleep "$seconds"
  w1=$(cpu "$pid"); h1=$(cpu "$helper")
  printf '%s: window %.1f%% of one core, with the helper %.1f%%\n' "$1" \
    "$(echo "100 * ($w1 - $w0) / $seconds" | bc -l)" "$(echo "100 * ($w1 - $w0 + $h1 - $h0) / $seconds" | bc -l)"
}

export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
ECHOLINE_SOURCE=$work/play.wav "$work/bin/Melodar" >/dev/null 2>&1 &
pid=$!

# The window is up once its log says so; the database then loads in the
# background, which the generous wait below covers.
loaded=0
for _ in $(seq 1 120); do
  if grep -q "Init completed" "$work/bin/Melodar.log" 2>/dev/null; then loaded=1; break; fi
  sleep 1
done
[ "$loaded" = 1 ] || { echo "Melodar did not start"; exit 1; }
sleep 20
measure "idle, signal picture running"

window=$(xdotool search --sync --pid "$pid" --name '^Melodar' | head -n1)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --window "$window" ctrl+u
sleep 3
measure "automatic search every second"
if [ -n "${MELODAR_BENCH_SHOT:-}" ]; then
  ffmpeg -v error -nostdin -y -f x11grab -video_size 1600x1000 -i "$DISPLAY" -frames:v 1 "$MELODAR_BENCH_SHOT"
fi
