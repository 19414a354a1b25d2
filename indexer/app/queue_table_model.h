#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QStringList>
#include <array>

namespace melo {

class FileQueue;
struct QueueEntry;

// The main window's queue grid: one row per queue entry, eight columns. The last,
// "Обработка", shows how long a file has been (or was) worked on, and for a failed
// file the reason. The queue changes under the model (the indexing run sets
// statuses), so the window calls Refresh() every second and Reset() after it has
// added or removed entries itself.
class QueueTableModel : public QAbstractTableModel {
 public:
  enum Column { kNumber, kStatus, kPath, kName, kType, kSize, kCreated, kProcessing, kColumnCount };
  static const std::array<int, kColumnCount> kColumnWidths;

  explicit QueueTableModel(const FileQueue& queue, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  void Reset();
  // Repaints the statuses and the times, which run up to `now`.
  void Refresh(const QDateTime& now);

  // The six texts of the status bar under the grid.
  QStringList StatusTexts() const;

 private:
  QString ProcessingText(const QueueEntry& entry) const;

  const FileQueue& queue_;
  QDateTime now_ = QDateTime::currentDateTime();
};

}  // namespace melo
