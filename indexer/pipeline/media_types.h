#pragma once

#include <QString>

namespace melo {

// Extension classes. An extension is taken with its dot and compared exactly,
// letter case included: ".MP3" belongs to no class.

// "аудио", "видео", or empty for a file the queue does not take.
QString MediaTypeOf(const QString& extension);
// Decoded by sox directly, as one track.
bool IsDirectAudioExtension(const QString& extension);
// The tag tool is run for the file.
bool HasTagExtension(const QString& extension);
// ffprobe counts the audio streams; other files not decoded directly hold one.
bool IsMultiStreamExtension(const QString& extension);

inline const QString kAudioType = QStringLiteral("аудио");
inline const QString kVideoType = QStringLiteral("видео");

}  // namespace melo
