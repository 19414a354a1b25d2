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

// True when both paths lead to one existing file, through whatever folders,
// symbolic links or hard links.
bool SameFile(const QString& a, const QString& b);

// True when a file "test.tmp" can be created in dir (it is deleted again).
bool IsDirWritable(const QString& dir);

// Writes the lines as UTF-8 text, each ended by a line feed, replacing the file
// only once everything was written. False when it could not be written.
bool SaveTextLines(const QString& path, const QStringList& lines);

// Creates dir with all missing parents; true when it exists afterwards.
bool EnsureDirectory(const QString& dir);

// Moves a file, or a folder with everything in it, to the user's trash, so it can
// be restored. True when it no longer exists afterwards; false (and nothing is
// deleted) when there is no trash to take it, or for an empty path.
bool MoveToRecycleBin(const QString& path);

}  // namespace melo
