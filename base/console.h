#pragma once

#include <QString>
#include <cstdio>

namespace melo {

// Text to a standard stream as UTF-8, flushed at once, so that what a command-line
// tool prints keeps its order with what the tools it starts print.
void WriteText(std::FILE* stream, const QString& text);

// The text and a line end on stderr: the command-line tools' messages and notes,
// with control characters other than TAB and LF made visible (EscapeControls).
void WriteErrorLine(const QString& text);

}  // namespace melo
