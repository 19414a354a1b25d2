#!/usr/bin/env bash
# indexing_bench.sh [FOLDER]
#
# Indexes FOLDER (default: a freshly made demo library) with 1 and 2 workers and,
# in the same run, times the bare external decoding of the same files: exactly the
# ffprobe/ffmpeg/sox commands the workers run, and nothing else. Prints the audio
# hours indexed per hour and the ratio full indexing / bare decoding.
# With BASELINE_CLI=PATH (another build's melobank-cli, say one from before the
# landmarks) it also indexes with that program, between the other two runs, and
# prints the ratio of this build's time to it.
# Build first (scripts/setup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$root/build/bin/melobank-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data
folder=${1:-}
if [ -z "$folder" ]; then
  "$root/scripts/make-demo-library" "$work/library" >/dev/null
  folder=$work/library
fi

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

# The decoding a worker does for one file, in its own folder.
decode_one() {
  local file=$1 sub
  sub=$(mktemp -d "$BENCH_WORK/decode.XXXXXX")
  local raw="--bits 16 --channels 2 --encoding signed-integer --rate 48000 --type raw"
  case ".${file##*.}" in
    .wav|.mp3|.ogg|.aac|.flac|.aiff|.wma|.opus|.au|.voc|.snd)
      # shellcheck disable=SC2086
      sox "$file" $raw "$sub/data.dat" 2>/dev/null ||
        { ffmpeg -nostdin -v quiet -i "$file" -vn -map 0:a:0 "$sub/data.wav" && sox "$sub/data.wav" $raw "$sub/data.dat"; } ;;
    .mp4|.mov|.mkv|.m2ts|.wmv|.asf|.m4a|.avi|.webm|.mpg|.mpeg|.ogv)
      local tracks=1
      case ".${file##*.}" in .mp4|.mov|.mkv|.m2ts|.wmv|.asf)
        tracks=$(ffprobe -v error -select_streams a -show_entries stream=index -of csv=p=0 "$file" | wc -l) ;;
      esac
      for ((t = 0; t < tracks; t++)); do
        ffmpeg -nostdin -v quiet -i "$file" -vn -map "0:a:$t" "$sub/data.wav"
        # shellcheck disable=SC2086
        sox "$sub/data.wav" $raw "$sub/data.dat"
        rm -f "$sub/data.wav" "$sub/data.dat"
      done ;;
  esac
  rm -rf "$sub"
}
export -f decode_one
export BENCH_WORK=$work

find "$folder" -type f ! -name '.*' | sort > "$work/files"
echo "files: $(wc -l < "$work/files") in $folder"

declare -A bare full baseline
for jobs in 1 2; do
  t0=$(now)
  tr '\n' '\0' < "$work/files" | xargs -0 -P "$jobs" -I{} bash -c 'decode_one "$1"' _ {}
  bare[$jobs]=$(elapsed "$t0" "$(now)")

  mkdir -p "$work/work$jobs"
  t0=$(now)
  "$cli" index --db "$work/index$jobs.db" --threads "$jobs" --work-dir "$work/work$jobs" \
    "$folder" >/dev/null 2>"$work/index$jobs.err" || true
  full[$jobs]=$(elapsed "$t0" "$(now)")

  if [ -n "${BASELINE_CLI:-}" ]; then
    mkdir -p "$work/base$jobs"
    t0=$(now)
    "$BASELINE_CLI" index --db "$work/baseline$jobs.db" --threads "$jobs" --work-dir "$work/base$jobs" \
      "$folder" >/dev/null 2>"$work/baseline$jobs.err" || true
    baseline[$jobs]=$(elapsed "$t0" "$(now)")
  fi
done

hours=$(sqlite3 "$work/index1.db" "SELECT sum(records) / 2.0 / 3600 FROM Data")
for jobs in 1 2; do
  printf 'workers %d: audio %.3f h, bare decoding %.2f s, full indexing %.2f s, %.0f audio hours per hour, full/bare %.2f\n' \
    "$jobs" "$hours" "${bare[$jobs]}" "${full[$jobs]}" \
    "$(echo "$hours * 3600 / ${full[$jobs]}" | bc -l)" "$(echo "${full[$jobs]} / ${bare[$jobs]}" | bc -l)"
done
if [ -n "${BASELINE_CLI:-}" ]; then
  for jobs in 1 2; do
    printf 'workers %d: this build %.2f s, baseline %.2f s, this/baseline %.3f\n' \
      "$jobs" "${full[$jobs]}" "${baseline[$jobs]}" "$(echo "${full[$jobs]} / ${baseline[$jobs]}" | bc -l)"
  done
fi
