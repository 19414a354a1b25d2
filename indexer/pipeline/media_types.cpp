#include "indexer/pipeline/media_types.h"

#include <QStringList>

namespace melo {

namespace {

bool In(const QString& extension, const QStringList& list) { return list.contains(extension); }

}  // namespace

QString MediaTypeOf(const QString& extension) {
  static const QStringList audio = {".wav", ".mp3", ".ogg",  ".aac", ".flac", ".aiff",
                                    ".m4a", ".wma", ".opus", ".au",  ".voc",  ".snd"};
  static const QStringList video = {".mp4", ".mov", ".mkv", ".m2ts", ".avi", ".wmv",
                                    ".webm", ".mpg", ".mpeg", ".ogv", ".asf"};
  if (In(extension, audio)) return kAudioType;
  if (In(extension, video)) return kVideoType;
  return {};
}

bool IsDirectAudioExtension(const QString& extension) {
  static const QStringList direct = {".wav",  ".mp3", ".ogg", ".aac", ".flac", ".aiff",
                                     ".wma", ".opus", ".au",  ".voc", ".snd"};
  return In(extension, direct);
}

bool HasTagExtension(const QString& extension) {
  static const QStringList tagged = {".wav", ".mp3", ".aiff", ".m4a", ".wma", ".wmv", ".asf"};
  return In(extension, tagged);
}

bool IsMultiStreamExtension(const QString& extension) {
  static const QStringList multi = {".mp4", ".mov", ".mkv", ".m2ts", ".wma", ".wmv", ".asf"};
  return In(extension, multi);
}

}  // namespace melo
