#pragma once

#include <QString>

namespace melo {

// Diagnostic logs: one line per call, "yyyy-mm-dd hh:mm:ss " + text, UTF-8, native
// line end. Every call opens, writes and closes the file, so threads may write
// concurrently; each line comes whole from one call.

// The local time as the lines begin with it, trailing blank included.
QString LogTimeStamp();

// Appends to the file (append = true) or starts it afresh (append = false).
// False when the file cannot be opened; nothing is written then.
bool WriteLogLine(const QString& path, const QString& text, bool append);

// Appends to my.log in the program's directory; a line that cannot be written is
// dropped.
void WriteMyLog(const QString& text);

// Where WriteMyLog writes. Tests and tools may point it elsewhere.
QString MyLogPath();
void SetMyLogPath(const QString& path);

}  // namespace melo
