#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace melo {

// Size in bytes; -1 when the file does not exist or cannot be examined.
int64_t FileSize64(const QString& path);

enum FileAccess : int32_t {
  kFileAccessOk = 0,         // readable and appendable
  kFileMissing = 1,
  kFileNotReadable = 2,
  kFileNotAppendable = 3,
};
// Tries to open the file for reading, then for appending, closing it each time.
int32_t CheckFileAccess(const QString& path);

// True when a file "test.tmp" can be created in dir (it is deleted again).
bool IsDirWritable(const QString& dir);

// Writes the lines as UTF-8 text, each ended by a line feed, replacing the file
// only once everything was written. False when it could not be written.
bool SaveTextLines(const QString& path, const QStringList& lines);

// Creates dir with all missing parents; true when it exists afterwards.
bool EnsureDirectory(const QString& dir);

// Deletes every file under dir, in subdirectories too (the subdirectories stay).
// Hidden files are left alone, links are removed without touching their targets,
// and nothing outside dir is ever touched. True only when every deletion
// succeeded; an empty dir does nothing and gives false.
bool DeleteFilesInDir(const QString& dir);

// Moves dir with everything in it to the user's trash, so it can be restored.
// True when dir no longer exists afterwards; an empty dir gives false.
bool DeleteDirToRecycleBin(const QString& dir);

}  // namespace melo
