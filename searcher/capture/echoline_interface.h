#pragma once

#include <QString>
#include <cstdint>
#include <sys/types.h>

namespace melo {

class CaptureRing;

// The searcher's side of the Echoline helper, which captures what the computer
// plays: the shared memory (see echoline_layout.h) the searcher creates, owns and
// unlinks, and the helper process writing into it. The helper runs in a process
// group of its own, so that ending it also ends whatever it started.
class EcholineInterface {
 public:
  static constexpr int32_t kNotRunning = -1;
  static constexpr int32_t kReadFailed = -2;

  // Creates the mapping and starts programDir/Echoline; on failure ErrorText() says
  // what went wrong and the helper is not running.
  EcholineInterface(const QString& programDir, const QString& mappingName);
  ~EcholineInterface();
  EcholineInterface(const EcholineInterface&) = delete;
  EcholineInterface& operator=(const EcholineInterface&) = delete;

  // Appends to the ring what the helper wrote since the last read; the number of
  // values taken, kNotRunning when the helper is not (or no longer) running.
  int32_t ReadAudio(CaptureRing& ring);

  bool Running() const { return running_; }
  const QString& ErrorText() const { return errorText_; }
  // The helper ended saying that its source can never start (echoline_layout.h):
  // starting it again would only fail again.
  bool SourceUnusable() const { return sourceUnusable_; }

  // The helper's command line: its path (quoted when it holds a blank), two
  // blanks, the mapping name.
  static QString CommandLine(const QString& programPath, const QString& mappingName);
  // A name of this process's own, so that searchers running side by side do not
  // share a mapping.
  static QString DefaultMappingName();
  // Unlinks the mappings of such names whose searcher no longer runs.
  static void RemoveStaleMappings();

  // For tests: the mapping as the helper sees it.
  uint8_t* View() const { return static_cast<uint8_t*>(view_); }

 private:
  void StartHelper(const QString& programDir);
  bool HelperEnded();

  QString mappingName_;
  QString errorText_;
  int fd_ = -1;
  void* view_ = nullptr;
  pid_t pid_ = -1;
  bool running_ = false;
  bool sourceUnusable_ = false;
  uint32_t lastIndex_ = 0;
};

}  // namespace melo
