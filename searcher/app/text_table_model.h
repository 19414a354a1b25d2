#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace melo {

// A grid of texts under fixed column titles: what the searcher's tables show.
// Rows shorter than the header show empty cells.
class TextTableModel : public QAbstractTableModel {
 public:
  explicit TextTableModel(QStringList headers, QObject* parent = nullptr);

  void SetRows(QList<QStringList> rows);
  // New column titles and rows at once, for a table whose columns depend on what it shows.
  void SetTable(QStringList headers, QList<QStringList> rows);
  const QList<QStringList>& Rows() const { return rows_; }
  QString Cell(int row, int column) const { return rows_.value(row).value(column); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QStringList headers_;
  QList<QStringList> rows_;
};

}  // namespace melo
