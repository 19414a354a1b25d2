#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>

namespace melo {

// Statuses of a queue entry; an empty status means waiting.
inline const QString kStatusProcessing = QStringLiteral("в обработке");
inline const QString kStatusDone = QStringLiteral("обработан");
inline const QString kStatusError = QStringLiteral("ошибка");
inline const QString kStatusIndexedBefore = QStringLiteral("уже проиндексирован");
inline const QString kStatusHung = QStringLiteral("завис");
inline const QString kStatusStopped = QStringLiteral("остановлен");

struct QueueEntry {
  QString path;
  QString name;     // file name without folder and extension
  QString type;     // "аудио" or "видео"
  QString created;  // modification time as text
  QString status;
  int64_t size = 0;
  QString message;  // the worker's outcome text, for the record
  // When the entry last went to "в обработке", and when it left it (invalid while
  // it has not): how long the file was worked on.
  QDateTime started;
  QDateTime ended;
};

// The indexer's queue of media files, without two entries of the same path.
class FileQueue {
 public:
  // False for a path already queued or an extension of neither media type.
  bool AddFile(const QString& path);
  void Remove(qsizetype index);
  void RemoveBefore(qsizetype index);
  void RemoveAfter(qsizetype index);
  void Clear();

  QString NextWaiting() const;  // path of the first entry with an empty status, or empty
  // Also notes when the work on the entry started and ended.
  bool SetStatus(const QString& path, const QString& status, const QString& message = {});
  qsizetype CountWithStatus(const QString& status) const;

  // The paths, one per line, as UTF-8 with a byte-order mark and CR LF line ends.
  bool SaveList(const QString& path) const;
  // Empties the queue and adds every line of a list file (either line end).
  bool LoadList(const QString& path);

  const QList<QueueEntry>& Entries() const { return entries_; }
  qsizetype Size() const { return entries_.size(); }
  bool IsEmpty() const { return entries_.isEmpty(); }

 private:
  void Reindex();

  QList<QueueEntry> entries_;
  QHash<QString, qsizetype> indexOfPath_;
};

}  // namespace melo
