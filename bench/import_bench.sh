#!/usr/bin/env bash
# import_bench.sh [ROWS]: times melobank-cli import of a source database of ROWS rows
# (default 10000, one minute of fingerprint each) into an empty database, again
# (every row a duplicate, kept), and once more replacing every row.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$root/build/bin/melobank-cli
rows=${1:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" create "$work/source.db"
sqlite3 "$work/source.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
  INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, extension, type,
                    audio_track, all_tracks, created, info, records, index_data)
  SELECT 1000000 + i, lower(hex(randomblob(32))), lower(hex(randomblob(16))), 60, '/music/track' || i || '.mp3',
         'track' || i, 'mp3', 'аудио', 0, 1, '2024-01-01 12:00:00', 'Artist: A' || char(13, 10), 120, randomblob(1440)
  FROM n;"
"$cli" create "$work/main.db"

run() { # label, arguments...
  local label=$1; shift
  local t0 t1
  t0=$(date +%s.%N)
  "$cli" import "$@" > "$work/out" 2>&1
  t1=$(date +%s.%N)
  printf '%-28s %6.2f s  (%s)\n' "$label" "$(echo "$t1 - $t0" | bc -l)" "$(tail -n 1 "$work/out")"
}
run "import $rows new rows" "$work/main.db" "$work/source.db"
run "again: all duplicates, kept" "$work/main.db" "$work/source.db"
run "again: all replaced" "$work/main.db" "$work/source.db" --replace
echo "rows in the database: $(sqlite3 "$work/main.db" 'SELECT count(*) FROM Data')"
