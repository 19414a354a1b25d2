#include "searcher/app/sound_degradation.h"

#include "fingerprint/sample_buffer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace melo {

namespace {

int16_t Clip(double x) { return static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0))); }

// A second-order Butterworth section (the bilinear transform's form).
struct Biquad {
  double b0, b1, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

  static Biquad Pass(double cornerHz, bool highPass) {
    const double w = std::tan(std::numbers::pi * cornerHz / kSampleRate);
    const double q = std::numbers::sqrt2;
    const double norm = 1 / (1 + q * w + w * w);
    Biquad f{};
    if (highPass) {
      f.b0 = norm;
      f.b1 = -2 * norm;
    } else {
      f.b0 = w * w * norm;
      f.b1 = 2 * f.b0;
    }
    f.b2 = f.b0;
    f.a1 = 2 * (w * w - 1) * norm;
    f.a2 = (1 - q * w + w * w) * norm;
    return f;
  }
  double operator()(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

double Rms(std::span<const int16_t> samples) {
  double energy = 0;
  for (const int16_t x : samples) energy += double(x) * x;
  return samples.empty() ? 0 : std::sqrt(energy / double(samples.size()));
}

}  // namespace

QString Degradation::Name() const {
  switch (kind) {
    case Kind::None: return QStringLiteral("Без искажений");
    case Kind::Noise: return QStringLiteral("Шум, сигнал/шум %1 дБ").arg(snrDb, 0, 'g', 3);
    case Kind::Echo: return QStringLiteral("Эхо комнаты");
    case Kind::Telephone: return QStringLiteral("Полоса 300–3400 Гц");
  }
  return {};
}

std::vector<int16_t> Degrade(std::span<const int16_t> samples, const Degradation& d, uint32_t seed) {
  std::vector<int16_t> out(samples.begin(), samples.end());
  switch (d.kind) {
    case Degradation::Kind::None: break;
    case Degradation::Kind::Noise: {
      std::mt19937 random(seed);
      std::normal_distribution<double> noise(0, Rms(samples) / std::pow(10, d.snrDb / 20));
      for (size_t i = 0; i < out.size(); ++i) out[i] = Clip(samples[i] + noise(random));
      break;
    }
    case Degradation::Kind::Echo: {
      // A small room: early reflections after 11, 23 and 37 ms, then a late one at 90 ms.
      static constexpr struct {
        int32_t delayMs;
        double gain;
      } kReflections[] = {{11, 0.45}, {23, 0.35}, {37, 0.25}, {90, 0.15}};
      for (size_t i = 0; i < out.size(); ++i) {
        double x = samples[i];
        for (const auto& r : kReflections) {
          const size_t delay = static_cast<size_t>(r.delayMs) * kSampleRate / 1000;
          if (i >= delay) x += r.gain * samples[i - delay];
        }
        out[i] = Clip(x / 1.6);
      }
      break;
    }
    case Degradation::Kind::Telephone: {
      // Fourth order at each end: two sections of each.
      Biquad filters[] = {Biquad::Pass(300, true), Biquad::Pass(300, true), Biquad::Pass(3400, false),
                          Biquad::Pass(3400, false)};
      for (size_t i = 0; i < out.size(); ++i) {
        double x = samples[i];
        for (Biquad& f : filters) x = f(x);
        out[i] = Clip(x);
      }
      break;
    }
  }
  return out;
}

}  // namespace melo
