#!/usr/bin/env bash
# listen_bench.sh DB TRACK [SECONDS]
#
# Plays TRACK (any audio ffmpeg decodes) through Echoline's file mode into
# melodar-cli listen with an automatic search every second against DB, for SECONDS
# (default 60) in the search mode MODE (environment, default fast), and reports the
# CPU load of the searcher (share of one core, the helper included) and the delay
# from the start of playback to the first confirmed identification. A second run
# of 2 s gives what loading the database costs, so that the load of listening
# itself is reported too (it is what matters for a large database). For a large
# DB, build one with build/bin/search_bench and import the corpus into it
# (melobank-cli import), so that the played track is in it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
db=${1:?usage: listen_bench.sh DB TRACK [SECONDS]}
track=${2:?usage: listen_bench.sh DB TRACK [SECONDS]}
seconds=${3:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -nostdin -y -i "$track" -ac 2 -ar 48000 -c:a pcm_s16le "$work/play.wav"
# listen SECONDS: writes "$work/time" (user, system, wall) and "$work/lines".
listen() {
  start=$(date +%s.%N)
  ECHOLINE_SOURCE=$work/play.wav /usr/bin/time -f '%U %S %e' -o "$work/time" \
    "$root/build/bin/melodar-cli" listen --db "$db" --mode "${MODE:-fast}" --interval 1 --duration "$1" --json 2>/dev/null |
    while IFS= read -r line; do echo "$(date +%s.%N) $line"; done > "$work/lines"
}
listen 2
read -r shortUser shortSys shortWall < "$work/time"
listen "$seconds"

read -r user sys wall < "$work/time"
searches=$(wc -l < "$work/lines")
found=$(grep -c '"found":true' "$work/lines" || true)
first=$(grep -m1 '"confirmed":true' "$work/lines" | cut -d' ' -f1 || true)
printf 'listened %.0f s: %d searches, %d found; CPU %.1f%% of one core (user %.2f s, system %.2f s)\n' \
  "$wall" "$searches" "$found" "$(echo "100 * ($user + $sys) / $wall" | bc -l)" "$user" "$sys"
printf 'without the load (a 2 s run took %.2f s of CPU in %.1f s): %.1f%% of one core\n' \
  "$(echo "$shortUser + $shortSys" | bc -l)" "$shortWall" \
  "$(echo "100 * ($user + $sys - $shortUser - $shortSys) / ($wall - $shortWall)" | bc -l)"
if [ -n "$first" ]; then
  printf 'first confirmed identification %.2f s after playback started\n' "$(echo "$first - $start" | bc -l)"
else
  echo "no confirmed identification"
fi
