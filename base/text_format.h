#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace melo {

// Digits in groups of three separated by blanks: 1234567 -> "1 234 567".
QString FormatThousands(int64_t n);

// H:MM:SS, hours without leading zeros: 75 -> "0:01:15"; with the total appended,
// "0:01:15 (75 сек)", 3725 -> "1:02:05 (3 725 сек)".
QString FormatDuration(int64_t seconds, bool withTotal);

// A moment as the programs show it: the locale's short date and the time with
// seconds, "05.03.2024 14:07:09" in a Russian locale.
QString FormatLocalDateTime(const QDateTime& moment);

}  // namespace melo
