#!/usr/bin/env bash
# browser_bench.sh [ROWS] [FOLDER]: times opening the record browser on a database
# of ROWS rows (default 100000), made by copying the rows of the real tracks in
# FOLDER (default the development corpus) with altered MD5s, so every row is a
# track of its own with a real fingerprint.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-100000}
folder=${2:-/work/corpus/dev}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/build/bin/melobank-cli" index --db "$work/real.db" "$folder" > /dev/null
real=$(sqlite3 "$work/real.db" 'SELECT count(*) FROM Data')
cp "$work/real.db" "$work/big.db"
# Copies of the real rows, each with its own MD5 and a numbered name, until ROWS.
sqlite3 "$work/big.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ($rows - $real) / $real + 1)
  INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, extension, type,
                    audio_track, all_tracks, created, info, records, index_data)
  SELECT source_size, sha2, lower(hex(randomblob(16))), duration, source_path || '.' || i,
         source_file_name || ' ' || i, extension, type, audio_track, all_tracks, created, info, records, index_data
  FROM Data, n WHERE Data.id <= $real;
  DELETE FROM Data WHERE id > $rows;"
echo "real rows: $real; rows: $(sqlite3 "$work/big.db" 'SELECT count(*) FROM Data');" \
     "file: $(du -m "$work/big.db" | cut -f1) MB"
"$root/build/bin/record_browser_bench" "$work/big.db" 5
