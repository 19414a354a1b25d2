#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace melo {

// A whole file may last this long to be searched whole.
inline constexpr int32_t kLongestWholeQuery = 60;  // seconds

// The part of a file that becomes the query: `seconds` from `start`, or with a
// negative start the whole file, which may last at most `longestWhole` seconds.
struct QueryExcerpt {
  double start = -1;
  int32_t seconds = 4;
  int32_t longestWhole = 60;
};

// Why a file gave no samples; the window names each in its own words.
enum class QueryInputProblem { None, NoFile, CannotOpen, ShortFile, TooLong, PastEnd, NoDecoder, DecodeFailed };

// The samples of a query file at 48 kHz mono 16-bit: a .dat, or a .wav with the
// searcher's own mono 48 kHz header, is read as the searcher saves queries;
// anything else (other WAVs, compressed audio, video) is decoded by ffmpeg. Only
// the excerpt is ever read or kept: sizes are judged from the file's length (or
// the decoder's output so far) before anything is allocated. On failure `problem`
// says what went wrong and `error` the details in English.
struct QueryInput {
  std::vector<int16_t> samples;
  QueryInputProblem problem = QueryInputProblem::None;
  QString error;
};

QueryInput ReadQueryMedia(const QString& path, const QString& ffmpeg, const QueryExcerpt& excerpt);

// The query seconds a whole file of `samples` is searched as: its own length,
// rounded, within the query sizes of 3 to 7 seconds.
int32_t QuerySecondsOf(size_t samples);

}  // namespace melo
