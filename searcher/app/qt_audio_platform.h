#pragma once

#include "searcher/app/audio_platform.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QList>
#include <memory>

class QAudioSource;
class QIODevice;
class QSoundEffect;

namespace melo {

// The audio platform on Qt Multimedia: recording devices through QAudioSource,
// playback through QSoundEffect. Lives on the main thread, whose event loop
// delivers the recorded frames.
class QtAudioPlatform : public AudioPlatform {
 public:
  QtAudioPlatform();
  ~QtAudioPlatform() override;

  bool Init() override;
  QStringList RecordingDevices() override;
  bool OpenRecording(int32_t index) override;
  bool StartRecording(FrameSink sink) override;
  void StopRecording() override;
  bool Play(const QString& wavPath) override;

 private:
  QList<QAudioDevice> devices_;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* stream_ = nullptr;
  QByteArray pending_;  // bytes of a frame cut off at the end of the last chunk
  std::unique_ptr<QSoundEffect> player_;
};

}  // namespace melo
