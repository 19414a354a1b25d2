#pragma once

#include "searcher/capture/audio_platform.h"
#include "searcher/capture/frame_converter.h"

#include <QAudioDevice>
#include <QList>
#include <memory>
#include <optional>
#include <vector>

class QAudioSource;
class QIODevice;
class QSoundEffect;

namespace melo {

// The audio platform on Qt Multimedia: recording devices through QAudioSource,
// playback through QSoundEffect. Lives on the main thread, whose event loop
// delivers the recorded frames. A device that does not offer 48 kHz 16-bit stereo
// records in its own preferred format, converted on the way to the sink.
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
  std::unique_ptr<FrameConverter> converter_;
  std::vector<int16_t> frames_;
  std::unique_ptr<QSoundEffect> player_;
};

}  // namespace melo
