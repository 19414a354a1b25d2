#include "searcher/app/text_table_model.h"

namespace melo {

TextTableModel::TextTableModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

void TextTableModel::SetRows(QList<QStringList> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void TextTableModel::SetTable(QStringList headers, QList<QStringList> rows) {
  beginResetModel();
  headers_ = std::move(headers);
  rows_ = std::move(rows);
  endResetModel();
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return Cell(index.row(), index.column());
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return headers_.value(section);
}

}  // namespace melo
