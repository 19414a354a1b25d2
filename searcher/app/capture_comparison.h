#pragma once

#include "landmarks/peak_picker.h"
#include "searcher/app/stored_landmarks.h"
#include "searcher/engine/search_parameters.h"
#include "trackdb/track_info.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace melo {

class JobProgress;
class LandmarkIndex;
struct TrackIndex;

// What "Сравнение спектров исходника и захваченного аудио" compares: the
// captured query laid over a track at `start` (the track sample at the query's
// first), and where to read what the track's side holds.
struct CaptureComparisonInput {
  std::shared_ptr<const std::vector<int16_t>> samples;
  int32_t track = -1;
  int64_t start = 0;
  SearchParameters params;
  TrackInfo info;
  const TrackIndex* records = nullptr;       // the track's fingerprint in memory
  const LandmarkIndex* landmarks = nullptr;  // the index's landmarks; null without
  QString databasePath;                      // for the track's stored landmarks
  QString ffmpeg;                            // for the track's source file
};

// The two sides at every point the matcher compares, and the source file's own
// sound beside the captured one: how the room, the microphone and the noise
// changed what the fingerprints see.
struct CaptureComparison {
  // The described fingerprint: each stored frame whose peak falls inside the query.
  struct Frame {
    int32_t frame = 0;
    int32_t queryPosition = 0;
    std::array<uint8_t, 8> stored{}, captured{};
    int32_t sum = 0, largest = 0;
    bool loudEnough = false;  // both sides reach Amin: the fine stage compares it
  };
  std::vector<Frame> frames;
  std::array<double, 8> meanDifference{};     // captured - stored, over the loud enough frames
  std::array<double, 8> meanAbsDifference{};
  int32_t framesCompared = 0;
  int32_t framesWithin = 0;  // every band within Tb
  int32_t bandTolerance = 0;

  // The source file's stretch under the query, when it can be decoded.
  bool sourceRead = false;
  QString sourceProblem;
  QList<QPointF> sourceSpectrum, capturedSpectrum, spectrumDifference;  // (Hz, dB)
  double gainDb = 0;          // the captured sound's level against the source's
  double sourcePeaksKept = 0; // percent of the source's peaks (as the indexer picks them) the capture still shows

  // The landmarks: the captured query's peaks, and the stored landmarks of the
  // track under the query, with those the query meets.
  int32_t queryFrames = 0;
  std::vector<landmarks::SpectralPeak> capturedPeaks;
  QString landmarkProblem;  // why the stored side is missing
  std::vector<landmarks::Landmark> storedInSpan;
  LandmarkAlignment alignment;
  int32_t score = -1;  // the search's verified score at this offset, in tenths; -1 without landmarks

  // "Кадр", "Позиция в запросе", "Полосы трека", "Полосы запроса", "Разница (запрос − трек)",
  // "Сумма / макс.", "Вывод".
  QList<QStringList> FrameRows() const;
  QString Summary() const;
};

CaptureComparison CompareCapture(const CaptureComparisonInput& input, JobProgress& progress);

}  // namespace melo
