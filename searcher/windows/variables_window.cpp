#include "searcher/windows/window_parts.h"
#include "searcher/windows/variables_window.h"

#include "searcher/app/session_variables.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/text_table_view.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

constexpr int kRefreshMs = 500;

}  // namespace

VariablesWindow::VariablesWindow(const SearcherSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setWindowTitle(QStringLiteral("Значения переменных"));
  table_ = new TextTableModel({QStringLiteral("Переменная"), QStringLiteral("Значение")}, this);
  QTableView* view = TextTableView(table_, {280, 400});
  view->horizontalHeader()->setStretchLastSection(true);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(760, 820);
  connect(&timer_, &QTimer::timeout, this, &VariablesWindow::Refresh);
}

void VariablesWindow::Refresh() { table_->SetRows(SessionVariables(session_)); }

void VariablesWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
  timer_.start(kRefreshMs);
}

void VariablesWindow::hideEvent(QHideEvent* event) {
  timer_.stop();
  QWidget::hideEvent(event);
}

}  // namespace melo::melodar
