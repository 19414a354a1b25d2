#include "indexer/app/file_queue.h"

#include "base/file_utils.h"
#include "base/path_utils.h"
#include "base/text_format.h"
#include "indexer/pipeline/media_types.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace melo {

bool FileQueue::AddFile(const QString& path) {
  if (indexOfPath_.contains(path)) return false;
  const QString name = ExtractNamePart(path);
  const QString type = MediaTypeOf(ExtractExtension(name));
  if (type.isEmpty()) return false;
  QueueEntry entry;
  entry.path = path;
  entry.name = StripExtension(name);
  entry.type = type;
  entry.created = FormatLocalDateTime(QFileInfo(path).lastModified());
  entry.size = FileSize64(path);
  indexOfPath_.insert(path, entries_.size());
  entries_.append(entry);
  return true;
}

void FileQueue::Reindex() {
  indexOfPath_.clear();
  for (qsizetype i = 0; i < entries_.size(); ++i) indexOfPath_.insert(entries_[i].path, i);
}

void FileQueue::Remove(qsizetype index) {
  if (index < 0 || index >= entries_.size()) return;
  entries_.removeAt(index);
  Reindex();
}

void FileQueue::RemoveBefore(qsizetype index) {
  if (index <= 0 || index > entries_.size()) return;
  entries_.remove(0, index);
  Reindex();
}

void FileQueue::RemoveAfter(qsizetype index) {
  if (index < 0 || index >= entries_.size() - 1) return;
  entries_.remove(index + 1, entries_.size() - index - 1);
  Reindex();
}

void FileQueue::Clear() {
  entries_.clear();
  indexOfPath_.clear();
}

QString FileQueue::NextWaiting() const {
  for (const QueueEntry& e : entries_) {
    if (e.status.isEmpty()) return e.path;
  }
  return {};
}

bool FileQueue::SetStatus(const QString& path, const QString& status, const QString& message) {
  const auto found = indexOfPath_.constFind(path);
  if (found == indexOfPath_.constEnd()) return false;
  QueueEntry& entry = entries_[*found];
  const QDateTime now = QDateTime::currentDateTime();
  if (status == kStatusProcessing) {
    entry.started = now;
    entry.ended = {};
  } else if (status.isEmpty()) {
    entry.started = entry.ended = {};
  } else if (entry.status == kStatusProcessing) {
    entry.ended = now;
  }
  entry.status = status;
  entry.message = message;
  return true;
}

qsizetype FileQueue::CountWithStatus(const QString& status) const {
  qsizetype n = 0;
  for (const QueueEntry& e : entries_) n += e.status == status ? 1 : 0;
  return n;
}

bool FileQueue::SaveList(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QByteArray text("\xEF\xBB\xBF");
  for (const QueueEntry& e : entries_) text += e.path.toUtf8() + "\r\n";
  return file.write(text) == text.size();
}

bool FileQueue::LoadList(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  Clear();
  for (QString line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (!line.isEmpty()) AddFile(line);
  }
  return true;
}

}  // namespace melo
