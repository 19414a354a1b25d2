#!/usr/bin/env bash
# recall.sh CORPUS_DIR [WORK_DIR]
#
# Recall of the search over the development corpus (../shared/corpus/): indexes the
# corpus, cuts excerpts with the corpus's make-queries.sh (4 s and 7 s at 20, 50 and
# 80 % of each track; clean, white noise at 10 and 0 dB SNR, MP3 128k round trip),
# searches all of them in each mode, and prints per variant and mode the share found
# with the right track and a position within 0.5 s of the excerpt's end, and the
# median search time. Build first (scripts/setup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:?usage: recall.sh CORPUS_DIR [WORK_DIR]}
work=${2:-$(mktemp -d)}
mkdir -p "$work"
export XDG_DATA_HOME=$work/data

if [ ! -f "$work/corpus.db" ]; then
  mkdir -p "$work/index-work"
  "$root/build/bin/melobank-cli" index --db "$work/corpus.db" --work-dir "$work/index-work" "$corpus" >/dev/null 2>&1 || true
fi
if [ ! -f "$work/queries/truth.tsv" ]; then
  bash "$root/../shared/corpus/make-queries.sh" "$corpus" "$work/queries" >/dev/null 2>&1
fi

printf '%-8s %-11s %8s %8s %10s\n' variant mode found of median_ms
for mode in fast thorough scrupulous; do
  tail -n +2 "$work/queries/truth.tsv" | cut -f1 | sed "s|^|$work/queries/|" > "$work/list"
  xargs -a "$work/list" -d '\n' "$root/build/bin/melodar-cli" search --db "$work/corpus.db" --mode "$mode" --json \
    > "$work/results-$mode.jsonl"
  # One line per query: query name, found source file, position in samples, search ms.
  awk '
    function field(line, key,   m) {
      if (match(line, "\"" key "\":(\"[^\"]*\"|[^,}]*)")) { m = substr(line, RSTART + length(key) + 3, RLENGTH - length(key) - 3); gsub(/"/, "", m); return m }
      return ""
    }
    { q = field($0, "query"); sub(/.*\//, "", q); src = field($0, "source_path"); sub(/.*\//, "", src)
      print q "\t" src "\t" field($0, "position_samples") "\t" field($0, "search_ms") }' \
    "$work/results-$mode.jsonl" > "$work/found-$mode.tsv"
  median=$(cut -f4 "$work/found-$mode.tsv" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  awk -F'\t' -v mode="$mode" -v median="$median" '
    NR == FNR { track[$1] = $2; end[$1] = ($3 + $4) * 48000; variant[$1] = $5; next }
    FNR > 0 {
      q = $1; v = variant[q]; n[v]++; all++
      if ($2 == track[q] && $3 != "" && ($3 - end[q] < 24000 && end[q] - $3 < 24000)) { ok[v]++; okall++ }
    }
    END {
      for (v in n) printf "%-8s %-11s %7.1f%% %8d %10.2f\n", v, mode, 100 * ok[v] / n[v], n[v], median
      printf "%-8s %-11s %7.1f%% %8d %10.2f\n", "all", mode, 100 * okall / all, all, median
    }' <(tail -n +2 "$work/queries/truth.tsv") "$work/found-$mode.tsv" | sort
done
