#include "searcher/windows/level_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/window_parts.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace melo::melodar {

LevelWindow::LevelWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QueryJobWindow(session, last, QStringLiteral("Зависимость спектра от уровня сигнала"), parent) {
  auto* top = new QHBoxLayout;
  auto* measure = new QPushButton(QStringLiteral("Измерить"));
  connect(measure, &QPushButton::clicked, this, &LevelWindow::Measure);
  top->addWidget(measure);
  search_ = new QCheckBox(QStringLiteral("Искать на каждом уровне"));
  search_->setChecked(true);
  top->addWidget(search_);
  top->addWidget(bar_, 1);
  top->addStretch();
  chart_ = new QChart;
  summary_->setText(QStringLiteral("Последний запрос тише и громче: от −40 до +6 дБ."));
  table_ = new TextTableModel({QStringLiteral("Усиление, дБ"), QStringLiteral("Пик"), QStringLiteral("На пределе"),
                               QStringLiteral("Полосы (среднее)"), QStringLiteral("Отличие от 0 дБ, макс. / сред."),
                               QStringLiteral("Байтов 255, %"),
                               QStringLiteral("Ключевых точек"), QStringLiteral("Пиков спектра"),
                               QStringLiteral("Пиков как при 0 дБ, %"), QStringLiteral("Поиск")},
                              this);
  QTableView* view = TextTableView(table_, {95, 55, 85, 175, 200, 100, 110, 100, 150, 180});
  view->horizontalHeader()->setStretchLastSection(true);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ChartView(chart_, QStringLiteral("Байты полос в ключевых точках запроса при разном уровне"), 300), 3);
  layout->addWidget(summary_);
  layout->addWidget(view, 2);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1290, 800);
}

bool LevelWindow::Measure() {
  // Without an index the sweep still shows the bytes and peaks; it only searches nothing.
  const SearchIndex* index = search_->isChecked() && session_.IndexLoaded() ? &session_.Index() : nullptr;
  const int32_t expected = last_.Track();
  auto result = std::make_shared<LevelSweep>();
  return StartOnQuery(
      [index, expected, result](const std::vector<int16_t>& samples, const SearchParameters& params,
                                JobProgress& progress) {
        *result = SweepLevels(samples, index, params, expected, progress);
      },
      [this, result] {
        sweep_ = *result;
        Draw();
      },
      false);
}

void LevelWindow::Draw() {
  table_->SetRows(sweep_.Rows());
  summary_->setText(sweep_.Summary());
  chart_->removeAllSeries();
  for (QAbstractAxis* axis : chart_->axes()) chart_->removeAxis(axis);
  QValueAxis* x = AddAxis(chart_, Qt::AlignBottom, QStringLiteral("усиление, дБ"), LevelSweep::kLowestGainDb,
                          LevelSweep::kHighestGainDb, QStringLiteral("%d"));
  x->setTickCount(24);
  QValueAxis* y = AddAxis(chart_, Qt::AlignLeft, QStringLiteral("байт полосы"), 0, 260, QStringLiteral("%d"));
  y->setTickCount(14);
  QValueAxis* share = AddAxis(chart_, Qt::AlignRight, QStringLiteral("пиков как при 0 дБ, %"), 0, 130,
                              QStringLiteral("%d"));
  share->setTickCount(14);
  for (int32_t m = 0; m < 8; ++m) AddLine(chart_, x, y, QStringLiteral("Полоса %1").arg(m), sweep_.Band(m), BandColour(m));
  QLineSeries* change = AddLine(chart_, x, y, QStringLiteral("Наибольшее отличие от 0 дБ"), sweep_.LargestChanges(),
                                QColor(200, 0, 120));
  change->setPen(QPen(QColor(200, 0, 120), 3));
  AddLine(chart_, x, y, QStringLiteral("Допуск полосы"),
          {{LevelSweep::kLowestGainDb, double(sweep_.bandTolerance)},
           {LevelSweep::kHighestGainDb, double(sweep_.bandTolerance)}},
          QColor(230, 150, 0));
  QLineSeries* kept = AddLine(chart_, x, share, QStringLiteral("Пики спектра"), sweep_.PeaksKept(), QColor(0, 0, 0));
  kept->setPen(QPen(QColor(0, 0, 0), 2, Qt::DashLine));
}

}  // namespace melo::melodar
