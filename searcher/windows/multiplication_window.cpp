#include "searcher/windows/window_parts.h"
#include "searcher/windows/multiplication_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

MultiplicationWindow::MultiplicationWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QueryJobWindow(session, last, QStringLiteral("Тест умножение"), parent) {
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Повторов")));
  repeats_ = new QSpinBox;
  repeats_->setRange(1, 100);
  repeats_->setValue(5);
  top->addWidget(repeats_);
  auto* run = new QPushButton(QStringLiteral("Замерить"));
  connect(run, &QPushButton::clicked, this, &MultiplicationWindow::Run);
  top->addWidget(run);
  top->addWidget(bar_, 1);
  top->addStretch();
  auto* note = new QLabel(QStringLiteral(
      "Ключевые точки последнего запроса сравниваются с каждым кадром базы: простым циклом по байтам, полным "
      "просмотром программы и через полосовой фильтр. Число совпадений у всех способов должно быть одинаковым."));
  note->setWordWrap(true);
  table_ = new TextTableModel({QStringLiteral("Способ"), QStringLiteral("Сравнений"), QStringLiteral("Совпадений"),
                               QStringLiteral("Время, мс"), QStringLiteral("нс на сравнение"),
                               QStringLiteral("Млн сравнений в секунду"), QStringLiteral("Часов базы в секунду")},
                              this);
  QTableView* view = TextTableView(table_, {300, 110, 100, 90, 120, 170, 150});
  view->horizontalHeader()->setStretchLastSection(true);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(note);
  layout->addWidget(view, 1);
  layout->addWidget(summary_);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1080, 290);
}

bool MultiplicationWindow::Run() {
  const SearchIndex& index = session_.Index();
  const int32_t repeats = repeats_->value();
  auto result = std::make_shared<CoarseLoopTiming>();
  return StartOnQuery(
      [&index, repeats, result](const std::vector<int16_t>& samples, const SearchParameters& params,
                                JobProgress& progress) {
        *result = TimeCoarseLoop(index, samples, params, repeats, progress);
      },
      [this, result] {
        timing_ = *result;
        table_->SetRows(timing_.Rows());
        summary_->setText(timing_.Summary());
      });
}

}  // namespace melo::melodar
