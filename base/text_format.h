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

// A moment as the programs show and store it, the Russian short date and the time
// with seconds whatever the system's locale: "05.03.2024 14:07:09".
QString FormatLocalDateTime(const QDateTime& moment);

// Control characters made visible, so that a name printed on a terminal can
// neither repaint it (escape sequences) nor break a line-and-column layout (TAB or
// newline inside a field): TAB, LF and CR become \t, \n and \r, every other
// control character (C0, DEL, C1) \uXXXX; JSON reads both back as the character.
// With keepLayout, TAB and LF stay as they are: for whole lines whose fields were
// escaped already.
QString EscapeControls(const QString& text, bool keepLayout = false);

}  // namespace melo
