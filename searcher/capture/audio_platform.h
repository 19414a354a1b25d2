#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace melo {

// What the searcher needs of the machine's sound: the names of its recording
// devices, 48 kHz 16-bit stereo frames from one of them, and playback of a WAV file.
class AudioPlatform {
 public:
  // Receives count interleaved 16-bit values (left, right, ...).
  using FrameSink = std::function<void(const int16_t* values, size_t count)>;

  virtual ~AudioPlatform() = default;

  // Prepares playback; false when there is no output.
  virtual bool Init() = 0;
  virtual QStringList RecordingDevices() = 0;
  // Opens recording device `index` of RecordingDevices() for 48 kHz 16-bit stereo,
  // stopping any earlier recording; false when it cannot.
  virtual bool OpenRecording(int32_t index) = 0;
  // Starts the opened device delivering frames to `sink`; false when it cannot.
  virtual bool StartRecording(FrameSink sink) = 0;
  virtual void StopRecording() = 0;
  virtual bool Play(const QString& wavPath) = 0;
};

}  // namespace melo
