#pragma once

#include <QString>

namespace melo::testing {

// Gives every row of table Data the landmarks of its source file, as a program
// that stores them beside the fingerprint would: the row's audio stream decoded
// by ffmpeg to 48 kHz mono, its landmarks extracted with the tracks' settings and
// written into table Landmarks. The rows given landmarks; -1 when the file could
// not be written or a source not decoded.
int AddLandmarks(const QString& database);

}  // namespace melo::testing
