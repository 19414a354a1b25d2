#include "searcher/windows/neighbour_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/query_analyses.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/window_parts.h"
#include "searcher/windows/text_table_view.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QTableView>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

namespace melo::melodar {

namespace {

QStringList Columns() {
  QStringList columns = {QStringLiteral("Точка"), QStringLiteral("Позиция"), QStringLiteral("В допуске до, отсч.")};
  for (const int32_t shift : NeighbourSpectra::kShifts) columns.append(QStringLiteral("±%1").arg(shift));
  return columns;
}

// A chart whose shift axis is logarithmic: 1 to 12000 samples.
QLogValueAxis* ShiftAxis(QChart* chart) {
  auto* axis = new QLogValueAxis;
  axis->setTitleText(QStringLiteral("сдвиг, отсчётов (48000 в секунду)"));
  axis->setBase(10);
  axis->setRange(1, 20000);
  axis->setLabelFormat(QStringLiteral("%g"));
  axis->setMinorTickCount(8);
  chart->addAxis(axis, Qt::AlignBottom);
  return axis;
}

template <class Series>
void Add(QChart* chart, QAbstractAxis* x, QAbstractAxis* y, Series* series, const QString& name,
         const QList<QPointF>& points, const QColor& colour) {
  series->setName(name);
  series->setColor(colour);
  series->append(points);
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

}  // namespace

NeighbourWindow::NeighbourWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), last_(last) {
  setWindowTitle(QStringLiteral("Разница в соседних спектрах"));
  sums_ = new QChart;
  shares_ = new QChart;
  auto* charts = new QHBoxLayout;
  charts->addWidget(ChartView(sums_, QStringLiteral("Разница полос при сдвиге ключевой точки")));
  charts->addWidget(ChartView(shares_, QStringLiteral("Что остаётся при сдвиге")));
  summary_ = new QLabel(QStringLiteral("Поиска ещё не было."));
  summary_->setWordWrap(true);
  table_ = new TextTableModel(Columns(), this);
  QList<int> widths = {50, 70, 130};
  for (size_t i = 0; i < NeighbourSpectra::kShifts.size(); ++i) widths.append(75);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(charts, 3);
  layout->addWidget(summary_);
  layout->addWidget(TextTableView(table_, widths), 2);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1100, 720);
}

void NeighbourWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void NeighbourWindow::Refresh() {
  if (!last_.HasQuery()) return;
  const SearchParameters& params = session_.Parameters();
  // The plain key points: the band bytes the tracks were stored with.
  const QueryAnalyses analysed(*last_.samples, QueryAnalysis::Plain);
  measured_ = MeasureNeighbourSpectra(*last_.samples, analysed.Searched().Keypoints(), params.bandTolerance,
                                      params.sumTolerance);
  table_->SetRows(measured_.Rows());
  summary_->setText(measured_.Summary());
  for (QChart* chart : {sums_, shares_}) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) chart->removeAxis(axis);
  }
  QLogValueAxis* x = ShiftAxis(sums_);
  QValueAxis* y = AddAxis(sums_, Qt::AlignLeft, QStringLiteral("сумма разниц 8 полос"), 0,
                          std::max(2.0 * params.sumTolerance, 10.0), QStringLiteral("%d"));
  double top = 2.0 * params.sumTolerance;
  for (const QPointF& p : measured_.MeanSums()) top = std::max(top, p.y());
  y->setRange(0, top * 1.1 + 1);
  y->applyNiceNumbers();
  Add(sums_, x, y, new QLineSeries, QStringLiteral("Средняя сумма разниц"), measured_.MeanSums(), QColor(30, 90, 200));
  Add(sums_, x, y, new QLineSeries, QStringLiteral("Допуск суммы Ts"),
      {{1, double(params.sumTolerance)}, {20000, double(params.sumTolerance)}}, QColor(230, 150, 0));

  QLogValueAxis* sx = ShiftAxis(shares_);
  QValueAxis* sy = AddAxis(shares_, Qt::AlignLeft, QStringLiteral("%"), 0, 100, QStringLiteral("%d"));
  sy->setTickCount(6);
  Add(shares_, sx, sy, new QLineSeries, QStringLiteral("Ключевых точек в допуске"), measured_.SharesWithin(),
      QColor(30, 90, 200));
  Add(shares_, sx, sy, new QLineSeries, QStringLiteral("Ориентиров сохранилось"), measured_.LandmarksKept(),
      QColor(0, 150, 60));
}

}  // namespace melo::melodar
