#pragma once

#include <QString>
#include <cstdint>

namespace melo {

// The indexer's settings, kept in an INI file beside the program:
//   [Utils]     FFMPEG, SOX       full paths of the tools
//   [Dirs]      WorkDir           slot i works in WorkDir/i
//   [DataBase]  DBPath            the current database
//   [Indexing]  Threads           workers at once (at most the processor count)
//               CopyToWorkDir     1/0: work on a copy of each file
struct IndexerSettings {
  QString ffmpeg;
  QString sox;
  QString workDir;
  QString dbPath;
  int32_t threads = 1;
  bool copyToWorkDir = true;
};

// Reads every key that is present (others keep their defaults) and lowers Threads
// to `processors`. False when the file exists but cannot be read.
bool ReadIndexerSettings(const QString& iniPath, int32_t processors, IndexerSettings& settings);
// Writes all keys; false when the file cannot be written.
bool WriteIndexerSettings(const QString& iniPath, const IndexerSettings& settings);

// Fills an empty FFMPEG or SOX with the program found on the search path; a
// configured path is never replaced.
void FillToolPathsFromSearchPath(IndexerSettings& settings);

}  // namespace melo
