#pragma once

namespace melo::sql {

// The database file is an exchange format: users copy databases between computers
// and merge them, so these texts are fixed to the byte (the table name is written
// `Data` in some statements and `data` in others; SQLite treats them alike).

// Every "\t" is one TAB between a column name and its type.
inline constexpr char kCreateTable[] =
    "CREATE TABLE Data (id\tINTEGER,source_size\tINTEGER NOT NULL,sha2\tTEXT NOT NULL,"
    "md5\tTEXT NOT NULL,duration\tINTEGER NOT NULL,source_path\tTEXT NOT NULL,"
    "source_file_name\tTEXT NOT NULL,extension\tTEXT NOT NULL,type\tTEXT NOT NULL,"
    "audio_track\tINTEGER NOT NULL,all_tracks\tINTEGER NOT NULL,created\tTEXT NOT NULL,"
    "info\tTEXT,records\tINTEGER NOT NULL,index_data BLOB NOT NULL,envelope_data BLOB,"
    "PRIMARY KEY(id AUTOINCREMENT));";

// The table's columns, in table order. envelope_data, never written and never
// read, is left out.
namespace column {
inline constexpr char kId[] = "id";
inline constexpr char kSourceSize[] = "source_size";
inline constexpr char kSha2[] = "sha2";
inline constexpr char kMd5[] = "md5";
inline constexpr char kDuration[] = "duration";
inline constexpr char kSourcePath[] = "source_path";
inline constexpr char kSourceFileName[] = "source_file_name";
inline constexpr char kExtension[] = "extension";
inline constexpr char kType[] = "type";
inline constexpr char kAudioTrack[] = "audio_track";
inline constexpr char kAllTracks[] = "all_tracks";
inline constexpr char kCreated[] = "created";
inline constexpr char kInfo[] = "info";
inline constexpr char kRecords[] = "records";
inline constexpr char kIndexData[] = "index_data";
}  // namespace column

// 1 when the file holds table Data, 0 when not (column "res", for QueryScalar).
inline constexpr char kHasDataTable[] =
    "SELECT count(*) AS res FROM sqlite_master WHERE type = 'table' AND name = 'Data'";

inline constexpr char kClearTable[] = "DELETE FROM Data;";

// Lookups by track identity and by source path run once per indexed or imported
// track; without these indexes each is a scan of the whole table, fingerprints
// included. The record browser lists every row by name: with the names index that
// is a read of a few megabytes rather than of the whole file (0.1 s instead of 0.7
// for 100,000 rows). They sit beside the table and change nothing a reader of the
// file sees.
inline constexpr char kCreateLookupIndexes[] =
    "CREATE INDEX IF NOT EXISTS Data_track ON Data(md5, source_size, audio_track);"
    "CREATE INDEX IF NOT EXISTS Data_source_path ON Data(source_path);"
    "CREATE INDEX IF NOT EXISTS Data_names ON Data(source_file_name, audio_track, all_tracks);";

inline constexpr char kInsert[] =
    "INSERT INTO data (source_size, sha2, md5, duration, source_path, source_file_name, "
    "extension, type, audio_track, all_tracks, created, info, records, index_data) "
    "values(:SOURCESIZE, :SHA2, :MD5, :DURATION, :SOURCEPATH, :SOURCEFILENAME, :EXTENSION, "
    ":TYPE, :AUDIOTRACK, :ALLTRACKS, :CREATED, :INFO, :RECORDS, :INDEXDATA)";

inline constexpr char kFindTrack[] =
    "SELECT id FROM data WHERE md5 = :MD5 AND source_size = :SOURCESIZE AND audio_track = :AUDIOTRACK";

inline constexpr char kFindSourcePath[] = "SELECT id FROM data WHERE source_path = :SOURCEPATH";

inline constexpr char kVacuum[] = "VACUUM";
inline constexpr char kCommit[] = "COMMIT";

inline constexpr char kListRecords[] =
    "SELECT id, source_file_name, audio_track, all_tracks FROM data ORDER BY source_file_name";

inline constexpr char kSelectRow[] = "SELECT * FROM data WHERE id=:ID";

inline constexpr char kDeleteTrack[] =
    "DELETE FROM data where md5 = :MD5 AND source_size = :SOURCESIZE AND audio_track = :AUDIOTRACK";

inline constexpr char kListTracks[] = "SELECT id, source_size, md5, audio_track FROM data";

inline constexpr char kCountRows[] = "SELECT count(*) AS RECORDS_COUNT FROM Data";

// The searcher's load: every row, in the order the rows are numbered as tracks.
inline constexpr char kSelectAllRows[] = "SELECT * FROM Data";

// The database check.
inline constexpr char kFindDuplicates[] =
    "SELECT id, md5, COUNT(*) AS n FROM Data GROUP BY md5, source_size, audio_track HAVING n > 1";
inline constexpr char kDescriptiveColumns[] =
    "SELECT id, source_size, sha2, md5, duration, source_path, source_file_name, extension, type, audio_track, "
    "all_tracks, created, info, records FROM Data";
inline constexpr char kSourcePaths[] = "SELECT id, source_path FROM Data";
inline constexpr char kIndexData[] = "SELECT id,records,index_data FROM Data";

// The landmarks of each row, in a table of its own beside Data (whose statements
// and bytes stay as they are): keyed by the row's id, with the landmark version
// (landmarks::kLandmarkVersion) they were made with, the track's frames, and the
// landmarks in their stored form (landmarks/landmark_blob.h). A file without the
// table is still a database; its rows simply have no landmarks yet.
inline constexpr char kCreateLandmarksTable[] =
    "CREATE TABLE IF NOT EXISTS Landmarks (id INTEGER PRIMARY KEY, version INTEGER NOT NULL, "
    "frames INTEGER NOT NULL, count INTEGER NOT NULL, data BLOB NOT NULL)";
inline constexpr char kHasLandmarksTable[] =
    "SELECT count(*) AS res FROM sqlite_master WHERE type = 'table' AND name = 'Landmarks'";
inline constexpr char kInsertLandmarks[] =
    "INSERT OR REPLACE INTO Landmarks (id, version, frames, count, data) "
    "VALUES (:ID, :VERSION, :FRAMES, :COUNT, :DATA)";
inline constexpr char kClearLandmarks[] = "DELETE FROM Landmarks";
// The landmarks of one version (?1), which a load will index.
inline constexpr char kCountLandmarks[] = "SELECT total(count) FROM Landmarks WHERE version = ?1";
inline constexpr char kDeleteLandmarksOfTrack[] =
    "DELETE FROM Landmarks WHERE id IN (SELECT id FROM data WHERE md5 = :MD5 AND source_size = :SOURCESIZE "
    "AND audio_track = :AUDIOTRACK)";
inline constexpr char kSelectLandmarksOfRow[] =
    "SELECT version AS landmark_version, frames AS landmark_frames, count AS landmark_count, "
    "data AS landmark_data FROM Landmarks WHERE id = :ID";
// The searcher's load when the file has landmarks: every row in the order of
// kSelectAllRows, each with its landmarks or NULLs.
inline constexpr char kSelectAllRowsWithLandmarks[] =
    "SELECT Data.*, Landmarks.version AS landmark_version, Landmarks.frames AS landmark_frames, "
    "Landmarks.count AS landmark_count, Landmarks.data AS landmark_data "
    "FROM Data LEFT JOIN Landmarks ON Landmarks.id = Data.id";
// The landmark columns' names in the statements above.
namespace column {
inline constexpr char kLandmarkVersion[] = "landmark_version";
inline constexpr char kLandmarkFrames[] = "landmark_frames";
inline constexpr char kLandmarkCount[] = "landmark_count";
inline constexpr char kLandmarkData[] = "landmark_data";
}  // namespace column

}  // namespace melo::sql
