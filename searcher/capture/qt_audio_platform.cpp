#include "searcher/capture/qt_audio_platform.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace melo {

namespace {

QAudioFormat CaptureFormat() {
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(2);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

// The converter's description of a device format; nothing for a format it does
// not know.
std::optional<FrameConverter::SampleFormat> ConverterFormat(QAudioFormat::SampleFormat format) {
  switch (format) {
    case QAudioFormat::UInt8: return FrameConverter::SampleFormat::UInt8;
    case QAudioFormat::Int16: return FrameConverter::SampleFormat::Int16;
    case QAudioFormat::Int32: return FrameConverter::SampleFormat::Int32;
    case QAudioFormat::Float: return FrameConverter::SampleFormat::Float;
    default: return std::nullopt;
  }
}

}  // namespace

QtAudioPlatform::QtAudioPlatform() = default;

QtAudioPlatform::~QtAudioPlatform() { StopRecording(); }

bool QtAudioPlatform::Init() { return !QMediaDevices::audioOutputs().isEmpty(); }

QStringList QtAudioPlatform::RecordingDevices() {
  devices_ = QMediaDevices::audioInputs();
  QStringList names;
  for (const QAudioDevice& d : devices_) names.append(d.description());
  return names;
}

bool QtAudioPlatform::OpenRecording(int32_t index) {
  StopRecording();
  if (index < 0 || index >= devices_.size()) return false;
  const QAudioDevice& device = devices_[index];
  QAudioFormat format = CaptureFormat();
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  const auto sampleFormat = ConverterFormat(format.sampleFormat());
  if (!format.isValid() || !sampleFormat || format.channelCount() < 1) return false;
  converter_ = std::make_unique<FrameConverter>(format.sampleRate(), format.channelCount(), *sampleFormat);
  source_ = std::make_unique<QAudioSource>(device, format);
  // About 20 ms of frames: with the backend's default, data arrives in lumps of a
  // second or more.
  source_->setBufferSize(format.bytesForDuration(20000));
  return true;
}

bool QtAudioPlatform::StartRecording(FrameSink sink) {
  if (!source_) return false;
  stream_ = source_->start();
  if (!stream_ || source_->error() != QAudio::NoError) {
    StopRecording();
    return false;
  }
  QObject::connect(stream_, &QIODevice::readyRead, stream_, [this, sink = std::move(sink)] {
    // A chunk may end inside a frame; the converter keeps that part for the next.
    const QByteArray chunk = stream_->readAll();
    frames_.clear();
    converter_->Convert(reinterpret_cast<const uint8_t*>(chunk.constData()), static_cast<size_t>(chunk.size()), frames_);
    if (!frames_.empty()) sink(frames_.data(), frames_.size());
  });
  return true;
}

void QtAudioPlatform::StopRecording() {
  if (source_) source_->stop();
  source_.reset();
  stream_ = nullptr;
  converter_.reset();
}

bool QtAudioPlatform::Play(const QString& wavPath) {
  if (!QFileInfo(wavPath).isFile()) return false;
  player_ = std::make_unique<QSoundEffect>();
  player_->setSource(QUrl::fromLocalFile(wavPath));
  player_->play();
  return true;
}

}  // namespace melo
