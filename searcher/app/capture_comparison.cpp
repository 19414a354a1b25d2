#include "searcher/app/capture_comparison.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "landmarks/downsampler.h"
#include "landmarks/landmark_extractor.h"
#include "landmarks/short_time_spectrum.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/landmark_geometry.h"
#include "searcher/app/query_input.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/landmark_search.h"
#include "searcher/engine/search_index.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace melo {

namespace {

constexpr int32_t kEdge = 1024;
// Bins of 3.9 Hz averaged into one spectrum point: 31 Hz.
constexpr int32_t kSpectrumStep = 8;
// A level of the landmark spectra is ln(power + 1); in dB that is 10 / ln 10 of it.
constexpr double kLevelToDb = 4.342944819;

void CompareBands(const CaptureComparisonInput& in, AudioQuery& query, CaptureComparison& c) {
  const IndexDataView records({in.records->records.data(), in.records->records.size()});
  const int64_t length = query.Length();
  NoiseCorrectedBands analyser;
  std::array<double, 8> signedSum{}, absSum{};
  for (int32_t j = std::max<int32_t>(0, static_cast<int32_t>(in.start / IndexRecord::kSamples));
       j < records.size() && j * IndexRecord::kSamples < in.start + length; ++j) {
    const int64_t p = records.PeakSample(j) - in.start;
    if (p < kEdge || p > length - kEdge) continue;
    const IndexRecord r = records[j];
    CaptureComparison::Frame f;
    f.frame = j;
    f.queryPosition = static_cast<int32_t>(p);
    f.stored = r.bands;
    query.BandsAt(f.queryPosition, analyser, f.captured.data());
    f.loudEnough = std::abs(int32_t{static_cast<int16_t>(r.amplitude)}) >= in.params.minimumAmplitude &&
                   std::abs(int32_t{query.Samples()[p]}) >= in.params.minimumAmplitude;
    bool within = true;
    for (int32_t m = 0; m < 8; ++m) {
      const int32_t d = int32_t{f.captured[m]} - int32_t{f.stored[m]};
      f.sum += std::abs(d);
      f.largest = std::max(f.largest, std::abs(d));
      within = within && std::abs(d) <= in.params.bandTolerance;
      if (f.loudEnough) {
        signedSum[m] += d;
        absSum[m] += std::abs(d);
      }
    }
    if (f.loudEnough) {
      ++c.framesCompared;
      c.framesWithin += within ? 1 : 0;
    }
    c.frames.push_back(f);
  }
  for (int32_t m = 0; m < 8 && c.framesCompared > 0; ++m) {
    c.meanDifference[m] = signedSum[m] / c.framesCompared;
    c.meanAbsDifference[m] = absSum[m] / c.framesCompared;
  }
}

// The mean level of each bin over the sound's spectra, in dB, kSpectrumStep bins a point.
std::vector<double> MeanSpectrum(const std::vector<int16_t>& samples) {
  const int32_t frames = landmarks::LandmarkExtractor::FrameCount(static_cast<int64_t>(samples.size()));
  std::vector<double> mean;
  if (frames <= 0) return mean;
  const int32_t copyLength = (frames - 1) * landmarks::kHop + landmarks::kFrameSize;
  std::vector<float> copy(static_cast<size_t>(copyLength));
  landmarks::Downsampler().Run(samples, 0, copyLength, copy.data());
  std::vector<float> levels(static_cast<size_t>(frames) * landmarks::kBins);
  landmarks::ShortTimeSpectrum().Compute(copy.data(), frames, levels.data());
  for (int32_t bin = landmarks::kLowestBin; bin + kSpectrumStep <= landmarks::kHighestBin; bin += kSpectrumStep) {
    double total = 0;
    for (int32_t f = 0; f < frames; ++f) {
      for (int32_t b = bin; b < bin + kSpectrumStep; ++b) total += levels[static_cast<size_t>(f) * landmarks::kBins + b];
    }
    mean.push_back(total / (frames * kSpectrumStep) * kLevelToDb);
  }
  return mean;
}

double Rms(const std::vector<int16_t>& samples) {
  double energy = 0;
  for (const int16_t x : samples) energy += double(x) * x;
  return samples.empty() ? 0 : std::sqrt(energy / double(samples.size()));
}

void CompareSource(const CaptureComparisonInput& in, const std::vector<int16_t>& captured,
                   const std::vector<landmarks::SpectralPeak>& capturedPeaks, CaptureComparison& c) {
  if (in.info.source_path.isEmpty() || !QFileInfo::exists(in.info.source_path)) {
    c.sourceProblem = QStringLiteral("Исходный файл трека недоступен: %1").arg(in.info.source_path);
    return;
  }
  if (in.start < 0) {
    c.sourceProblem = QStringLiteral("Запрос начинается раньше трека.");
    return;
  }
  const auto length = static_cast<int64_t>(captured.size());
  const QueryInput source = ReadQueryMedia(
      in.info.source_path, in.ffmpeg,
      {static_cast<double>(in.start) / kSampleRate, static_cast<int32_t>(length / kSampleRate + 1), 0});
  if (source.problem != QueryInputProblem::None || static_cast<int64_t>(source.samples.size()) < length) {
    c.sourceProblem = QStringLiteral("Исходный файл не декодируется на этом месте.");
    return;
  }
  const std::vector<int16_t> stretch(source.samples.begin(), source.samples.begin() + length);
  const std::vector<double> sourceDb = MeanSpectrum(stretch);
  const std::vector<double> capturedDb = MeanSpectrum(captured);
  for (size_t i = 0; i < sourceDb.size() && i < capturedDb.size(); ++i) {
    const double hz = BinHz(landmarks::kLowestBin + kSpectrumStep * static_cast<double>(i) + kSpectrumStep / 2.0);
    c.sourceSpectrum.append({hz, sourceDb[i]});
    c.capturedSpectrum.append({hz, capturedDb[i]});
    c.spectrumDifference.append({hz, capturedDb[i] - sourceDb[i]});
  }
  const double sourceRms = Rms(stretch), capturedRms = Rms(captured);
  c.gainDb = sourceRms > 0 && capturedRms > 0 ? 20 * std::log10(capturedRms / sourceRms) : 0;
  const std::vector<landmarks::SpectralPeak> sourcePeaks =
      landmarks::LandmarkExtractor(landmarks::kTrackSettings).Extract(stretch).peaks;
  int32_t kept = 0;
  for (const landmarks::SpectralPeak& s : sourcePeaks) {
    kept += std::any_of(capturedPeaks.begin(), capturedPeaks.end(), [&s](const landmarks::SpectralPeak& q) {
      return std::abs(q.frame - s.frame) <= 1 && std::abs(q.bin - s.bin) <= 2;
    });
  }
  c.sourcePeaksKept = sourcePeaks.empty() ? 0 : 100.0 * kept / static_cast<double>(sourcePeaks.size());
  c.sourceRead = true;
}

void CompareLandmarks(const CaptureComparisonInput& in, const AudioQuery& landmarked, CaptureComparison& c) {
  c.capturedPeaks = landmarked.Landmarks().peaks;
  c.queryFrames = landmarked.Landmarks().frames;
  const StoredTrackLandmarks stored = StoredTrackLandmarks::Read(in.databasePath, in.info.id);
  if (!stored.Usable()) {
    c.landmarkProblem = stored.Problem();
    return;
  }
  const auto offset = static_cast<int32_t>(std::lround(double(in.start) / landmarks::kInputSamplesPerHop));
  const auto span = stored.Between(offset, offset + c.queryFrames);
  c.storedInSpan.assign(span.begin(), span.end());
  c.alignment = AlignLandmarks(landmarked.Landmarks().landmarks, c.queryFrames, stored, offset);
  if (in.landmarks) {
    const LandmarkMatcher matcher(landmarked, in.params, in.landmarks);
    c.score = matcher.Score({in.track, offset, 0});
  }
}

}  // namespace

CaptureComparison CompareCapture(const CaptureComparisonInput& in, JobProgress& progress) {
  CaptureComparison c;
  c.bandTolerance = in.params.bandTolerance;
  if (!in.samples || in.samples->empty() || !in.records) return c;
  const std::vector<int16_t>& samples = *in.samples;
  const auto count = static_cast<int32_t>(samples.size());
  progress.Set(0, 3);
  progress.SetStage(QStringLiteral("Полосы спектра"));
  const QueryAnalysis bands = in.params.analysis == QueryAnalysis::Landmarks ? QueryAnalysis::Plain : in.params.analysis;
  AudioQuery query;
  query.Create(samples.data(), count, bands);
  CompareBands(in, query, c);
  progress.Set(1, 3);
  if (progress.Stopped()) return c;
  progress.SetStage(QStringLiteral("Ориентиры"));
  AudioQuery landmarked;
  landmarked.Create(samples.data(), count, QueryAnalysis::Landmarks);
  CompareLandmarks(in, landmarked, c);
  progress.Set(2, 3);
  if (progress.Stopped()) return c;
  progress.SetStage(QStringLiteral("Исходный файл"));
  CompareSource(in, samples, c.capturedPeaks, c);
  progress.Set(3, 3);
  return c;
}

QList<QStringList> CaptureComparison::FrameRows() const {
  QList<QStringList> rows;
  for (const Frame& f : frames) {
    QStringList differences;
    int32_t worstBand = 0;
    for (int32_t m = 0; m < 8; ++m) {
      const int32_t d = int32_t{f.captured[m]} - int32_t{f.stored[m]};
      differences.append(QString::number(d));
      if (std::abs(d) > std::abs(int32_t{f.captured[worstBand]} - int32_t{f.stored[worstBand]})) worstBand = m;
    }
    QString verdict = QStringLiteral("в допуске");
    if (!f.loudEnough) {
      verdict = QStringLiteral("тихо: не сравнивается");
    } else if (f.largest > bandTolerance) {
      verdict = QStringLiteral("полоса %1: %2 > %3").arg(worstBand).arg(f.largest).arg(bandTolerance);
    }
    QStringList stored, captured;
    for (int32_t m = 0; m < 8; ++m) {
      stored.append(QString::number(f.stored[m]));
      captured.append(QString::number(f.captured[m]));
    }
    rows.append({QString::number(f.frame), QString::number(f.queryPosition), stored.join(','), captured.join(','),
                 differences.join(','), QStringLiteral("%1 / %2").arg(f.sum).arg(f.largest), verdict});
  }
  return rows;
}

QString CaptureComparison::Summary() const {
  QString text = QStringLiteral("Кадров трека под запросом: %1, сравниваются %2, все полосы в допуске (%3) у %4.")
                     .arg(frames.size())
                     .arg(framesCompared)
                     .arg(bandTolerance)
                     .arg(framesWithin);
  if (framesCompared > 0) {
    QStringList bands;
    for (int32_t m = 0; m < 8; ++m) {
      bands.append(Decimal(std::abs(meanDifference[m]) < 0.05 ? 0.0 : meanDifference[m], 1));
    }
    text += QStringLiteral(" Средний сдвиг полос (запрос − трек): %1.").arg(bands.join(QStringLiteral("; ")));
  }
  if (!landmarkProblem.isEmpty()) {
    text += QLatin1Char(' ') + landmarkProblem;
  } else {
    text += QStringLiteral(" Ориентиров трека под запросом %1; из %2 ориентиров запроса совпали %3")
                .arg(storedInSpan.size())
                .arg(alignment.landmarks.size())
                .arg(alignment.matched);
    text += score >= 0 ? QStringLiteral(", оценка %1.").arg(score) : QStringLiteral(".");
  }
  if (sourceRead) {
    text += QStringLiteral(" Уровень записи относительно исходника %1 дБ; пиков исходника осталось %2 %.")
                .arg(Decimal(std::abs(gainDb) < 0.05 ? 0.0 : gainDb, 1))
                .arg(Decimal(sourcePeaksKept, 0));
  } else {
    text += QLatin1Char(' ') + sourceProblem;
  }
  return text;
}

}  // namespace melo
