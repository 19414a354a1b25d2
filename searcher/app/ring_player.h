#pragma once

#include "searcher/app/sound_degradation.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

namespace melo {

class SoundSystem;

// "Аудио плеер": plays a file's samples into the capture ring in real time, as if
// the source had heard them, so a known recording (degraded on purpose, if asked)
// can be searched by the ordinary one-shot and automatic searches. While it plays
// the selected source is stopped; it starts again when the player stops or
// finishes. Main thread.
class RingPlayer {
 public:
  static constexpr int32_t kLongestFile = 1200;  // seconds: 115 MB of samples
  static constexpr int kTickMs = 20;

  explicit RingPlayer(SoundSystem& sound);
  ~RingPlayer();
  RingPlayer(const RingPlayer&) = delete;
  RingPlayer& operator=(const RingPlayer&) = delete;

  // Stops and takes the samples (48 kHz mono) of the file `name`, played as they are.
  void SetSamples(std::vector<int16_t> samples, QString name);
  // The file degraded: what Degraded() makes of Original(); the rest of it is
  // played so. Making it takes a while for a long file, so a window makes it in
  // the background.
  void SetDegraded(const Degradation& degradation, std::vector<int16_t> played);
  std::shared_ptr<const std::vector<int16_t>> Original() const { return original_; }
  static std::vector<int16_t> Degraded(const std::vector<int16_t>& original, const Degradation& degradation);

  // False without samples or without a capture ring. From the start again when
  // the end was reached.
  bool Play();
  void Pause();
  // Back to the start; the source records again.
  void Stop();
  void Seek(int64_t sample);

  bool Playing() const { return playing_; }
  int64_t Position() const { return position_; }
  int64_t Duration() const { return static_cast<int64_t>(played_.size()); }
  const QString& Name() const { return name_; }
  const Degradation& CurrentDegradation() const { return degradation_; }

  // Puts the next `samples` of the file into the ring (the timer does so as time
  // passes); the player finishes at the end.
  void Feed(int64_t samples);

 private:
  void Tick();
  void PauseSource();
  void ResumeSource();

  SoundSystem& sound_;
  std::shared_ptr<const std::vector<int16_t>> original_;
  std::vector<int16_t> played_;  // original_ degraded
  QString name_;
  Degradation degradation_;
  int64_t position_ = 0;
  bool playing_ = false;
  bool sourcePaused_ = false;
  QTimer timer_;
  QElapsedTimer clock_;
  int64_t fedSinceClock_ = 0;
  std::vector<int16_t> stereo_;
};

}  // namespace melo
