#pragma once

#include "searcher/engine/search_results.h"

#include <QList>
#include <QPointF>
#include <QStringList>
#include <array>
#include <vector>

namespace melo {

class AudioQuery;
struct SearchIndex;

// The query as the query-and-results window draws it: the peak of every 10 ms
// block, the key points, and one text line per key point.
struct QueryPicture {
  QList<QPointF> envelope;   // (first sample of the block, its peak)
  QList<QPointF> keypoints;  // (position, amplitude)
  QStringList lines;         // "Pos=..\tAmp=..\tSpecter=b0,b1,..,b7"
};
QueryPicture Analyze(const AudioQuery& query);

// The last hit that found something, for the series of the previous result when
// the next search finds nothing.
struct PreviousHit {
  int32_t track = -1;
  int64_t queryStartInTrack = 0;
  int32_t trackAmplitude = 0;
  int32_t queryAmplitude = 0;
  int64_t captureStart = 0;  // where that query began in the capture stream
};

struct ResultSeries {
  bool visible = false;
  QList<QPointF> points;
};

// Where the stored key points of each hit lie on the query's time axis (0 to
// Q * 48000 samples), their amplitudes scaled to the query's level.
struct ResultPicture {
  double xMax = 0;
  std::array<ResultSeries, SearchResults::kCapacity> results;
  ResultSeries previous;
};

struct ResultPictureInput {
  const std::vector<ResultEntry>* entries = nullptr;  // best first
  const SearchIndex* index = nullptr;
  int32_t querySeconds = 0;
  int64_t captureStart = 0;  // where this search's query began in the capture stream
  bool showBest = true;      // "Покзать самый лучший результат"
  bool showOthers = true;    // "Показать остальные результаты"
};
ResultPicture AddResult(const ResultPictureInput& input, const PreviousHit& previous);

}  // namespace melo
