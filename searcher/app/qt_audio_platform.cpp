#include "searcher/app/qt_audio_platform.h"

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

// About 20 ms of frames: with the backend's default, data arrives in lumps of
// a second or more.
constexpr qsizetype kBufferBytes = 48000 * 4 / 50;

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
  const QAudioFormat format = CaptureFormat();
  if (!devices_[index].isFormatSupported(format)) return false;
  source_ = std::make_unique<QAudioSource>(devices_[index], format);
  source_->setBufferSize(kBufferBytes);
  return true;
}

bool QtAudioPlatform::StartRecording(FrameSink sink) {
  if (!source_) return false;
  stream_ = source_->start();
  if (!stream_ || source_->error() != QAudio::NoError) {
    StopRecording();
    return false;
  }
  pending_.clear();
  QObject::connect(stream_, &QIODevice::readyRead, stream_, [this, sink = std::move(sink)] {
    // Whole frames only: a chunk may end inside one, and the rest comes next time.
    pending_ += stream_->readAll();
    const qsizetype whole = pending_.size() / 4 * 4;
    sink(reinterpret_cast<const int16_t*>(pending_.constData()), static_cast<size_t>(whole / 2));
    pending_.remove(0, whole);
  });
  return true;
}

void QtAudioPlatform::StopRecording() {
  if (source_) source_->stop();
  source_.reset();
  stream_ = nullptr;
}

bool QtAudioPlatform::Play(const QString& wavPath) {
  if (!QFileInfo(wavPath).isFile()) return false;
  player_ = std::make_unique<QSoundEffect>();
  player_->setSource(QUrl::fromLocalFile(wavPath));
  player_->play();
  return true;
}

}  // namespace melo
