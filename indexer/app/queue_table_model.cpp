#include "indexer/app/queue_table_model.h"

#include "base/text_format.h"
#include "indexer/app/file_queue.h"


namespace melo {

// Wide enough for "уже проиндексирован", "видео" and a full date and time in the
// programs' font; the last column takes what is left.
const std::array<int, QueueTableModel::kColumnCount> QueueTableModel::kColumnWidths = {40, 160, 260, 190,
                                                                                       55, 90,  140, 150};

QueueTableModel::QueueTableModel(const FileQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), queue_(queue) {}

int QueueTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(queue_.Size());
}

int QueueTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant QueueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const QStringList titles = {
      QStringLiteral("№"),      QStringLiteral("Статус"),        QStringLiteral("Путь к файлу"),
      QStringLiteral("Имя файла"), QStringLiteral("Тип"),       QStringLiteral("Размер"),
      QStringLiteral("Дата создания"), QStringLiteral("Обработка")};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return titles[section];
}

QVariant QueueTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= queue_.Size()) return {};
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == kNumber || index.column() == kSize;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QueueEntry& e = queue_.Entries()[index.row()];
  switch (index.column()) {
    case kNumber: return index.row() + 1;
    case kStatus: return e.status;
    case kPath: return e.path;
    case kName: return e.name;
    case kType: return e.type;
    case kSize: return FormatThousands(e.size);
    case kCreated: return e.created;
    case kProcessing: return ProcessingText(e);
    default: return {};
  }
}

QString QueueTableModel::ProcessingText(const QueueEntry& entry) const {
  if (entry.status == kStatusError) return entry.message;
  if (!entry.started.isValid()) return {};
  return FormatDuration(entry.started.secsTo(entry.ended.isValid() ? entry.ended : now_), false);
}

void QueueTableModel::Reset() {
  beginResetModel();
  endResetModel();
}

void QueueTableModel::Refresh(const QDateTime& now) {
  now_ = now;
  if (queue_.Size() == 0) return;
  emit dataChanged(index(0, kStatus), index(rowCount() - 1, kProcessing));
}

QStringList QueueTableModel::StatusTexts() const {
  auto count = [this](const QString& status) { return FormatThousands(queue_.CountWithStatus(status)); };
  return {QStringLiteral("Кол-во файлов: ") + FormatThousands(queue_.Size()),
          QStringLiteral("Обработано: ") + count(kStatusDone),
          QStringLiteral("Ошибка: ") + count(kStatusError),
          QStringLiteral("Проиндексировано ранее: ") + count(kStatusIndexedBefore),
          QStringLiteral("В обработке: ") + count(kStatusProcessing),
          QStringLiteral("Осталось: ") + count(QString())};
}

}  // namespace melo
