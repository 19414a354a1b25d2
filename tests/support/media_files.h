#pragma once

#include "tests/support/temp_dir.h"

#include <QStringList>

namespace melo::testing {

// Runs ffmpeg quietly with these arguments (output overwritten); true when it
// succeeded.
bool Ffmpeg(const QStringList& arguments);

// A tone of `seconds` at `frequency` Hz with a slow tremolo, written by ffmpeg in
// the format the name's extension asks for; "key=value" metadata pairs become tags.
// Returns the file's path, or an empty text when ffmpeg failed.
QString MakeTone(const TempDir& dir, const QString& name, double seconds, int frequency,
                 const QStringList& metadata = {});

// A video with one audio stream per frequency (none when the list is empty).
QString MakeVideo(const TempDir& dir, const QString& name, double seconds, const QList<int>& frequencies);

// An executable shell script with the given body.
QString MakeScript(const TempDir& dir, const QString& name, const QByteArray& body);

}  // namespace melo::testing
