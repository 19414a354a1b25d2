#include "searcher/capture/sound_system.h"

#include "base/dialogs.h"
#include "searcher/capture/audio_platform.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/capture/echoline_interface.h"
#include "searcher/capture/echoline_thread.h"

namespace melo {

SoundSystem::SoundSystem(AudioPlatform& platform, Dialogs& dialogs, QString programDir,
                         std::function<void(const QString&)> log)
    : platform_(platform),
      dialogs_(dialogs),
      programDir_(std::move(programDir)),
      log_(std::move(log)),
      mappingName_(EcholineInterface::DefaultMappingName()) {}

SoundSystem::~SoundSystem() { Shutdown(); }

void SoundSystem::Log(const QString& line) const {
  if (log_) log_(line);
}

void SoundSystem::InitSound() {
  Log(QStringLiteral("Init sound"));
  platform_.Init();
  ring_ = std::make_unique<CaptureRing>();
  UpdateInputList();
}

QStringList SoundSystem::UpdateInputList() {
  Log(QStringLiteral("Update audio diveces list"));
  sources_ = QStringList{kLoopbackSource} + platform_.RecordingDevices();
  ApplySelection(0);
  return sources_;
}

void SoundSystem::StopEcholine() {
  echoline_.reset();  // asks it to end and waits
}

bool SoundSystem::ApplySelection(int32_t entry) {
  if (recording_) {
    platform_.StopRecording();
    recording_ = false;
  }
  if (selection_ == 0) StopEcholine();
  selection_ = entry;
  if (!ring_) return false;
  if (entry == 0) {
    echoline_ = std::make_unique<EcholineThread>(*ring_, programDir_, mappingName_);
    echoline_->onError = [this](const QString& text) { dialogs_.ShowMessage(text); };
    echoline_->Start();
    return true;
  }
  if (!platform_.OpenRecording(entry - 1)) {
    Log(QStringLiteral("Can't initialize recording device"));
    dialogs_.ShowMessage(QStringLiteral("Невозможно инициализировать устройство записи!"));
    return false;
  }
  CaptureRing* ring = ring_.get();
  if (!platform_.StartRecording([ring](const int16_t* values, size_t count) { ring->Append(values, count); })) {
    Log(QStringLiteral("Couldn't start recording"));
    dialogs_.ShowMessage(QStringLiteral("Невозможно начать запись!"));
    return false;
  }
  recording_ = true;
  ring_->SetActive(true);
  return true;
}

bool SoundSystem::SourceFailed() const { return selection_ == 0 && echoline_ && echoline_->SourceFailed(); }

void SoundSystem::Shutdown() {
  if (recording_) platform_.StopRecording();
  recording_ = false;
  StopEcholine();
}

}  // namespace melo
