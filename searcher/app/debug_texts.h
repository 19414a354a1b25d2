#pragma once

#include <QString>
#include <cstdint>

namespace melo {

struct SearchIndex;

// Texts the debug windows share.

// A place in 48 kHz samples as H:MM:SS.t ("-0:00:01.5" before the start).
QString PlaceText(int64_t samples);
// Eight band bytes as "12,0,255,...".
QString BandText(const uint8_t* bands);
// Their differences as "sum / largest".
QString BandDifferenceText(const uint8_t* a, const uint8_t* b);
// Track number's display title; empty for a number the index does not hold.
QString TrackTitle(const SearchIndex& index, int32_t track);
// A number with `decimals` decimals as the user's language writes it (a comma
// in Russian).
QString Decimal(double value, int decimals);
// Milliseconds with two decimals.
QString MsText(double ms);

}  // namespace melo
