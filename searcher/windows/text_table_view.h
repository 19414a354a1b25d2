#pragma once

#include <QList>

class QTableView;
class QWidget;

namespace melo {

class TextTableModel;

// A read-only grid over `model` that selects whole rows, with the given column
// widths and a compact row height.
QTableView* TextTableView(TextTableModel* model, const QList<int>& widths, QWidget* parent = nullptr);

}  // namespace melo
