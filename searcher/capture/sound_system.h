#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace melo {

class AudioPlatform;
class CaptureRing;
class Dialogs;
class EcholineThread;

// The searcher's sound: the capture ring and the one source that fills it, chosen
// from the source list: entry 0 is the computer's own output through Echoline,
// entries 1... the recording devices. Main thread.
class SoundSystem {
 public:
  static inline const QString kLoopbackSource = QStringLiteral("Аудио микшер (системные звуки)");

  SoundSystem(AudioPlatform& platform, Dialogs& dialogs, QString programDir,
              std::function<void(const QString&)> log = {});
  ~SoundSystem();

  // Prepares playback, creates the ring and fills the source list (selecting
  // entry 0).
  void InitSound();
  // Refills the source list, selects entry 0 and applies it.
  QStringList UpdateInputList();
  // Stops the current source and starts entry `entry`; false when it could not be
  // started (the user has been told).
  bool ApplySelection(int32_t entry);
  // Stops whatever source runs.
  void Shutdown();

  CaptureRing* Ring() const { return ring_.get(); }
  // The selected source can never start (the capture helper said so).
  bool SourceFailed() const;
  const QStringList& Sources() const { return sources_; }
  int32_t Selection() const { return selection_; }
  void SetMappingName(const QString& name) { mappingName_ = name; }

 private:
  void Log(const QString& line) const;
  void StopEcholine();

  AudioPlatform& platform_;
  Dialogs& dialogs_;
  const QString programDir_;
  std::function<void(const QString&)> log_;
  QString mappingName_;
  std::unique_ptr<CaptureRing> ring_;
  std::unique_ptr<EcholineThread> echoline_;
  QStringList sources_;
  int32_t selection_ = -1;
  bool recording_ = false;
};

}  // namespace melo
