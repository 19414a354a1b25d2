#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// What a recording through a microphone does to sound, made on purpose: noise at
// a chosen signal-to-noise ratio, the echoes of a room, the band a telephone or a
// small speaker passes. The test environment and the player apply them to known
// music to see which of them a search survives.
struct Degradation {
  enum class Kind { None, Noise, Echo, Telephone };
  Kind kind = Kind::None;
  double snrDb = 10;  // Noise: the music's level over the noise's

  // "Без искажений", "Шум, сигнал/шум 10 дБ", "Эхо комнаты", "Полоса 300–3400 Гц".
  QString Name() const;
  bool operator==(const Degradation&) const = default;
};

// A degraded copy (the same length); `seed` chooses the noise.
std::vector<int16_t> Degrade(std::span<const int16_t> samples, const Degradation& degradation, uint32_t seed);

}  // namespace melo
