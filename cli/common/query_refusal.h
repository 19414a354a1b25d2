#pragma once

#include <QString>
#include <cstdint>

namespace melo::cli {

// Why these samples make no query, in English ("the query yields 2 key points; at
// least 4 are needed"), or empty when they make one.
QString QueryRefusal(const int16_t* samples, int32_t count);

}  // namespace melo::cli
