// Fingerprinting throughput, reported as "x_realtime": seconds of audio processed
// per second of wall time on one core.
#include "fingerprint/fingerprint_builder.h"
#include "fingerprint/spectrum_analyzer.h"
#include "synth/music_like_signal.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int32_t kRate = 48000;

const std::vector<int16_t>& OneHourOfMusic() {
  static const std::vector<int16_t> music = melo::synth::MusicLikeSignal(2024, 3600 * kRate);
  return music;
}

void IndexSide(benchmark::State& state) {
  const auto& music = OneHourOfMusic();
  const auto count = static_cast<int32_t>(music.size());
  for (auto _ : state) {
    auto blob = melo::FingerprintTrack(music.data(), count);
    benchmark::DoNotOptimize(blob.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(count) / kRate, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(IndexSide)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void QuerySide(benchmark::State& state) {
  const auto seconds = static_cast<int32_t>(state.range(0));
  const auto& music = OneHourOfMusic();
  melo::FingerprintBuilder builder(1);
  int32_t offset = 0;
  for (auto _ : state) {
    // A different excerpt each time, as the searcher sees.
    offset = (offset + 7 * kRate + 1234) % (3500 * kRate);
    auto keypoints = melo::BuildQueryKeypoints(builder, music.data() + offset, seconds * kRate);
    benchmark::DoNotOptimize(keypoints);
  }
  state.counters["x_realtime"] =
      benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(QuerySide)->Arg(4)->Arg(7)->Unit(benchmark::kMicrosecond)->UseRealTime();

void OneSpectrum(benchmark::State& state) {
  const auto& music = OneHourOfMusic();
  melo::SpectrumAnalyzer analyzer;
  int32_t start = 0;
  for (auto _ : state) {
    start = (start + 24000) % (3500 * kRate);
    analyzer.ComputeSpectrum(music.data(), start, 256);
    benchmark::DoNotOptimize(analyzer.Magnitudes().data());
  }
}
BENCHMARK(OneSpectrum)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
