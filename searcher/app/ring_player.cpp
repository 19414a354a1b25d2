#include "searcher/app/ring_player.h"

#include "fingerprint/sample_buffer.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/capture/sound_system.h"

#include <algorithm>

namespace melo {

namespace {

constexpr uint32_t kNoiseSeed = 29;

}  // namespace

RingPlayer::RingPlayer(SoundSystem& sound) : sound_(sound) {
  timer_.setInterval(kTickMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

// At the program's end the session stops the sound itself: nothing is resumed.
RingPlayer::~RingPlayer() { timer_.stop(); }

void RingPlayer::SetSamples(std::vector<int16_t> samples, QString name) {
  Stop();
  played_ = samples;
  original_ = std::make_shared<const std::vector<int16_t>>(std::move(samples));
  name_ = std::move(name);
  degradation_ = {};
}

std::vector<int16_t> RingPlayer::Degraded(const std::vector<int16_t>& original, const Degradation& degradation) {
  return Degrade(original, degradation, kNoiseSeed);
}

void RingPlayer::SetDegraded(const Degradation& degradation, std::vector<int16_t> played) {
  if (played.size() != played_.size()) return;  // made of another file
  degradation_ = degradation;
  played_ = std::move(played);
}

bool RingPlayer::Play() {
  if (played_.empty() || !sound_.Ring()) return false;
  if (position_ >= Duration()) position_ = 0;
  PauseSource();
  sound_.Ring()->SetActive(true);
  playing_ = true;
  clock_.start();
  fedSinceClock_ = 0;
  timer_.start();
  return true;
}

void RingPlayer::Pause() {
  playing_ = false;
  timer_.stop();
}

void RingPlayer::Stop() {
  Pause();
  position_ = 0;
  ResumeSource();
}

void RingPlayer::Seek(int64_t sample) {
  position_ = std::clamp<int64_t>(sample, 0, Duration());
  clock_.restart();
  fedSinceClock_ = 0;
}

void RingPlayer::Tick() {
  const int64_t due = clock_.elapsed() * kSampleRate / 1000;
  Feed(due - fedSinceClock_);
}

void RingPlayer::Feed(int64_t samples) {
  CaptureRing* ring = sound_.Ring();
  if (!ring || samples <= 0) return;
  const int64_t count = std::min(samples, Duration() - position_);
  // The ring takes stereo frames and mixes them: both channels the same keeps
  // every sample as it is.
  stereo_.resize(static_cast<size_t>(2 * count));
  for (int64_t i = 0; i < count; ++i) {
    stereo_[2 * i] = stereo_[2 * i + 1] = played_[static_cast<size_t>(position_ + i)];
  }
  ring->Append(stereo_.data(), stereo_.size());
  position_ += count;
  fedSinceClock_ += samples;
  if (position_ >= Duration()) {
    Pause();
    ResumeSource();
  }
}

void RingPlayer::PauseSource() {
  if (sourcePaused_) return;
  sound_.Shutdown();
  sourcePaused_ = true;
}

void RingPlayer::ResumeSource() {
  if (!sourcePaused_) return;
  sourcePaused_ = false;
  sound_.ApplySelection(sound_.Selection());
}

}  // namespace melo
