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

// Two voices of notes that change a few times a second, their pitches drawn from
// `seed`: enough pairs of spectral peaks for landmarks, which a steady tone lacks.
// Written by ffmpeg in the format the name's extension asks for; empty on failure.
QString MakeMelody(const TempDir& dir, const QString& name, double seconds, int seed);

// A video with one audio stream per frequency (none when the list is empty).
QString MakeVideo(const TempDir& dir, const QString& name, double seconds, const QList<int>& frequencies);

// An executable shell script with the given body.
QString MakeScript(const TempDir& dir, const QString& name, const QByteArray& body);

}  // namespace melo::testing
