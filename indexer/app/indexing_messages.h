#pragma once

#include <QDateTime>
#include <QStringList>
#include <cstdint>

namespace melo {

// What the indexing messages window shows: the outcome lines of a run on three
// pages and the run's throughput.
class IndexingMessages {
 public:
  void Clear();

  QStringList succeeded;    // "Успешно обработаны"
  QStringList errors;       // "Сообщения об ошибках"
  QStringList indexedBefore;  // "Проиндексированы ранее" (and hung workers)
  QDateTime runStart;

  // "Файлов в час: " and "Аудио часов в час: " figures at `now`; 0 before a second
  // has passed. Each record inserted stands for half a second of audio.
  static int64_t FilesPerHour(qsizetype files, double elapsedSeconds);
  static int64_t AudioHoursPerHour(int64_t records, double elapsedSeconds);
  double ElapsedSeconds(const QDateTime& now) const;

  // The status bar panels: start time, running time, files per hour, audio hours
  // per hour.
  QStringList StatusTexts(const QDateTime& now, int64_t records) const;
};

}  // namespace melo
