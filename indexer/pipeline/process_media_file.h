#pragma once

#include "base/process_runner.h"
#include "base/thread.h"
#include "indexer/database/landmark_record.h"
#include "trackdb/track_info.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>

namespace melo {

class TDataModule1;
struct DecodingTools;

// What a media worker needs to know of the indexer's settings.
struct WorkerSettings {
  QString ffmpeg;              // full path of ffmpeg (ffprobe lies beside it)
  QString sox;                 // full path of sox
  QString workDir;             // slot i works in workDir/i
  bool copyToWorkDir = true;   // work on a copy of the source file
  QString programDir;          // tagscan-cli lies here (stream route) and in tagscan/ (direct route)
  QString programLog;          // the indexer's program log
};

// Records inserted by all workers since the current indexing run started (each
// stands for half a second of audio). Changed on the main thread only.
int64_t IndexedRecordsTotal();
void ResetIndexedRecordsTotal();

// Turns one media file into one row per audio track, each with its landmarks. The
// slow work (copy, hashes, external decoding, both fingerprints) runs in the
// worker's thread; the two database steps (is the path indexed already? insert the
// row and its landmarks, as one transaction) run on the main thread under the
// database lock with the slot number as owner.
//
// Message() is empty after success and holds the Russian failure text otherwise;
// Cause() may add what went wrong underneath, in English, for logs and terminals.
// Rows inserted for earlier tracks of a file stay when a later track fails.
//
// Only a complete decoding becomes a row: a tool that failed or was killed stores
// nothing. Terminate() stops a running file at once: the running tool is killed,
// and nothing more is stored, not even a track decoded already.
class ProcessMediaFile : public Thread {
 public:
  ProcessMediaFile(TDataModule1& store, WorkerSettings settings, QString sourcePath, int32_t id);
  ~ProcessMediaFile() override;

  const QString& SourcePath() const { return sourcePath_; }
  int32_t Id() const { return id_; }
  // Read after Finished().
  const QString& Message() const { return message_; }
  const QString& Cause() const { return cause_; }
  // Heartbeat: milliseconds since the epoch of the last step taken; 0 before start.
  int64_t LastActivityMs() const { return lastActivityMs_.load(); }
  QString WorkSubdirectory() const;

 protected:
  void Execute() override;

 private:
  void Heartbeat();
  void Log(const QString& line) const;
  void Process();
  DecodingTools Tools() const;
  bool DirectRoute(const QString& workingFile, const QString& ext, const QString& wav, const QString& dat);
  bool StreamRoute(const QString& workingFile, const QString& ext, const QString& wav, const QString& dat);
  // Reads data.dat and makes both fingerprints of it (the landmarks into
  // landmarks_); false (with Message set) when the track is unusable. `detailedShortMessage` adds the counts to the too-short text.
  bool FingerprintTrack(const QString& dat, bool detailedShortMessage, std::vector<uint8_t>& records);
  void ReadTagsWith(const QString& toolPath, const QString& workingFile, const QString& ext);
  // Sets Message (or the stopped text, when asked to stop) and logs logLine; false.
  bool Fail(const QString& message, const QString& logLine = {});
  bool ConversionFailed();
  StopRequest StopAsked() const;
  void CheckPath();
  // Inserts the row on the main thread; false (Message set and logged) when it did not go in.
  bool InsertRecord(const std::vector<uint8_t>& records, const QString& workingFile);

  TDataModule1& store_;
  const WorkerSettings settings_;
  const QString sourcePath_;
  const int32_t id_;
  QString message_;
  QString cause_;
  TrackInfo info_;
  LandmarkRecord landmarks_;
  std::atomic<int64_t> lastActivityMs_{0};
};

}  // namespace melo
