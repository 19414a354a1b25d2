#pragma once

#include "searcher/engine/search_parameters.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace melo {

class JobProgress;
struct SearchIndex;

// "Зависимость спектра от уровня сигнала": the last query made quieter and louder
// (-40 to +6 dB) and analysed again at every level. Each frame's spectrum is
// normalised to one mean level before its bands are summed, so the band bytes
// hold still over a wide range of levels; they move where the sound drowns in
// the last bits of the samples (their rounding is white noise, which lifts the
// weak upper bands) and where it clips (the cut peaks add harmonics). The sweep
// shows at which levels the bytes stay within the band tolerance of the 0 dB
// ones, how the landmarks' peaks fare, and, if asked, what a search answers.
struct LevelSweep {
  static constexpr double kLowestGainDb = -40;
  static constexpr double kHighestGainDb = 6;
  static constexpr double kStepDb = 2;

  struct Step {
    double gainDb = 0;
    int32_t peak = 0;
    int64_t clipped = 0;                 // samples cut at full scale
    std::array<double, 8> meanBand{};    // at the 0 dB query's key points
    int32_t largestChange = 0;           // of a byte against 0 dB
    double meanChange = 0;
    double saturatedShare = 0;           // percent of those bytes at 255
    int32_t keypoints = 0;               // chosen at this level
    int32_t peaks = 0;                   // spectral peaks
    double peaksKept = 0;                // percent of the 0 dB peaks still there
    bool searched = false;
    QString answer;                      // what the search said
  };
  std::vector<Step> steps;
  int32_t keypointCount = 0;  // at 0 dB

  int32_t bandTolerance = 0;

  // "Усиление, дБ", "Пик", "На пределе", "Полосы (среднее)", "Отличие от 0 дБ, макс. / сред.",
  // "Байтов 255, %", "Ключевых точек", "Пиков спектра", "Пиков как при 0 дБ, %", "Поиск".
  QList<QStringList> Rows() const;
  QList<QPointF> Band(int32_t band) const;   // (gain, mean byte)
  QList<QPointF> LargestChanges() const;     // (gain, largest change of a byte against 0 dB)
  QList<QPointF> PeaksKept() const;          // (gain, percent)
  QString Summary() const;
};

// `index` null: no searches. `expectedTrack` (-1: any) is the track a search must name.
LevelSweep SweepLevels(const std::vector<int16_t>& samples, const SearchIndex* index, const SearchParameters& params,
                       int32_t expectedTrack, JobProgress& progress);

}  // namespace melo
