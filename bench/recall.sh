#!/usr/bin/env bash
# recall.sh CORPUS_DIR [WORK_DIR]
#
# Recall of the search over the development corpus (../shared/corpus/): indexes the
# corpus (both fingerprints), cuts excerpts with the corpus's make-queries.sh (4 s
# and 7 s at 20, 50 and 80 % of each track; clean, white noise at 10 and 0 dB SNR,
# MP3 128k round trip) and make-room-queries.sh (pink, brown and voices over the
# music, a hall, a telephone, 34 dB quieter, a living room, 2 % fast), searches
# all of them in each mode, and prints per condition, length and mode the share
# found with the right track and a position within 0.5 s of the excerpt's end (for
# "fast2", of start + 1.02 x length), and the median search time.
#
# Then the false answers: every fifth track is left out of a second database, and
# the excerpts of those tracks are searched in it; any answer is a false one. The
# table gives their share per condition and mode. Set MODES to choose the modes
# (default: all five). Build first (scripts/setup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=$(cd "${1:?usage: recall.sh CORPUS_DIR [WORK_DIR]}" && pwd)
work=${2:-$(mktemp -d)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
export XDG_DATA_HOME=$work/data
cli=$root/build/bin/melodar-cli
modes=${MODES:-fast thorough scrupulous noisy robust}

index() {  # index DB DIR
  mkdir -p "$work/index-work"
  "$root/build/bin/melobank-cli" index --db "$1" --work-dir "$work/index-work" "$2" >/dev/null 2>&1 || true
}
[ -f "$work/corpus.db" ] || index "$work/corpus.db" "$corpus"
if [ ! -f "$work/queries/truth.tsv" ]; then
  bash "$root/../shared/corpus/make-queries.sh" "$corpus" "$work/queries" >/dev/null 2>&1
fi
if [ ! -d "$work/room" ]; then
  bash "$root/../shared/corpus/make-room-queries.sh" "$work/queries" "$work/room.tmp" "$corpus" >/dev/null 2>&1
  mv "$work/room.tmp" "$work/room"
fi
# The tracks left out: every fifth in name order.
ls "$corpus" | sort | awk 'NR % 5 == 0' > "$work/unknown-tracks"
if [ ! -f "$work/known.db" ]; then
  rm -rf "$work/known" && mkdir -p "$work/known"
  ls "$corpus" | sort | grep -vxF -f "$work/unknown-tracks" | while read -r f; do ln -s "$corpus/$f" "$work/known/$f"; done
  index "$work/known.db" "$work/known"
fi

# The truth of every excerpt from its name, TRACK__tSTART_MS__dLENGTHs__CONDITION.wav:
# path, track, expected end in seconds, condition/length.
for f in "$work"/queries/*.wav "$work"/room/*.wav; do echo "$f"; done | awk '
  { n = split($0, p, "/"); name = p[n]; split(name, part, "__")
    start = substr(part[2], 2) / 1000; len = substr(part[3], 2) + 0; cond = part[4]; sub(/\.wav$/, "", cond)
    end = start + (cond == "fast2" ? 1.02 : 1) * len
    printf "%s\t%s\t%.3f\t%s/%ds\n", $0, part[1], end, cond, len }' > "$work/truth"
cut -f1 "$work/truth" > "$work/list"
awk -F'\t' 'NR == FNR { out[$1] = 1; next } ($2 in out) { print $1 }' "$work/unknown-tracks" "$work/truth" \
  > "$work/unknown-list"

# One line per query: query path, found source file, position in samples, search ms.
found_lines() {
  awk '
    function field(line, key,   m) {
      if (match(line, "\"" key "\":(\"[^\"]*\"|[^,}]*)")) { m = substr(line, RSTART + length(key) + 3, RLENGTH - length(key) - 3); gsub(/"/, "", m); return m }
      return ""
    }
    { src = field($0, "source_path"); sub(/.*\//, "", src)
      print field($0, "query") "\t" src "\t" field($0, "position_samples") "\t" field($0, "search_ms") }' "$1"
}

printf '%-16s %-11s %8s %8s %10s\n' condition mode found of median_ms
for mode in $modes; do
  xargs -a "$work/list" -d '\n' "$cli" search --db "$work/corpus.db" --mode "$mode" --json \
    > "$work/results-$mode.jsonl" 2>"$work/errors-$mode.log" || true  # exit 1: some not found
  found_lines "$work/results-$mode.jsonl" > "$work/found-$mode.tsv"
  [ "$(wc -l < "$work/found-$mode.tsv")" -eq "$(wc -l < "$work/list")" ] ||
    echo "$mode: not every query was searched, see $work/errors-$mode.log" >&2
  median=$(cut -f4 "$work/found-$mode.tsv" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  awk -F'\t' -v mode="$mode" -v median="$median" '
    NR == FNR { track[$1] = $2; end[$1] = $3 * 48000; variant[$1] = $4; next }
    {
      q = $1; v = variant[q]; n[v]++
      if (v !~ /^fast2/) all++
      if ($2 == track[q] && $3 != "" && ($3 - end[q] < 24000 && end[q] - $3 < 24000)) { ok[v]++; if (v !~ /^fast2/) okall++ }
    }
    END {
      for (v in n) printf "%-16s %-11s %7.1f%% %8d %10.2f\n", v, mode, 100 * ok[v] / n[v], n[v], median
      printf "%-16s %-11s %7.1f%% %8d %10.2f\n", "all but fast2", mode, all ? 100 * okall / all : 0, all, median
    }' "$work/truth" "$work/found-$mode.tsv" | sort
done

printf '\nunknown clips answered (tracks not in the database)\n%-16s %-11s %8s %8s\n' condition mode answered of
for mode in $modes; do
  xargs -a "$work/unknown-list" -d '\n' "$cli" search --db "$work/known.db" --mode "$mode" --json \
    > "$work/unknown-$mode.jsonl" 2>"$work/unknown-errors-$mode.log" || true
  found_lines "$work/unknown-$mode.jsonl" > "$work/unknown-$mode.tsv"
  awk -F'\t' -v mode="$mode" '
    NR == FNR { variant[$1] = $4; sub(/\/.*/, "", variant[$1]); next }
    { v = variant[$1]; n[v]++; all++; if ($2 != "") { bad[v]++; badall++ } }
    END {
      for (v in n) printf "%-16s %-11s %7.1f%% %8d\n", v, mode, 100 * bad[v] / n[v], n[v]
      printf "%-16s %-11s %7.1f%% %8d\n", "all", mode, all ? 100 * badall / all : 0, all
    }' "$work/truth" "$work/unknown-$mode.tsv" | sort
done
