#pragma once

#include "searcher/engine/search_parameters.h"

#include <QList>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace melo {

class JobProgress;
struct SearchIndex;

// "Тест умножение": the matcher's inner loop, every key point of the last query
// against every frame of the index, timed alone and as the program runs it. The
// plain loop compares byte by byte as the cascade is defined; the program's full
// scan and its band filter must find exactly as many coarse matches, or the
// program's fast paths are wrong. In the robust mode the landmark look-up, which
// takes the place of that loop, is timed too.
struct CoarseLoopTiming {
  struct Way {
    QString name;
    int64_t comparisons = 0;  // key point against frame
    int64_t matches = 0;      // passed the coarse test
    double ms = 0;            // for all repeats
  };
  bool searchable = false;
  int32_t repeats = 0;
  int64_t frames = 0;  // frames with a peak, per repeat
  double hours = 0;    // of audio the index holds
  std::vector<Way> ways;
  bool countsAgree = true;  // every way found as many matches (the look-up aside)

  // "Способ", "Сравнений", "Совпадений", "Время, мс", "нс на сравнение", "Млн сравнений в секунду",
  // "Часов базы в секунду".
  QList<QStringList> Rows() const;
  QString Summary() const;
};

CoarseLoopTiming TimeCoarseLoop(const SearchIndex& index, const std::vector<int16_t>& samples,
                                const SearchParameters& params, int32_t repeats, JobProgress& progress);

}  // namespace melo
