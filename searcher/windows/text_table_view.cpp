#include "searcher/windows/text_table_view.h"

#include "searcher/app/text_table_model.h"

#include <QHeaderView>
#include <QTableView>

namespace melo {

QTableView* TextTableView(TextTableModel* model, const QList<int>& widths, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setModel(model);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(20);
  view->horizontalHeader()->setMinimumSectionSize(0);
  view->horizontalHeader()->setHighlightSections(false);
  for (int c = 0; c < widths.size(); ++c) view->setColumnWidth(c, widths[c]);
  return view;
}

}  // namespace melo
