#include "searcher/windows/graph_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/query_analyses.h"
#include "searcher/windows/window_parts.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

namespace melo::melodar {

GraphWindow::GraphWindow(const LastSearch& last, QWidget* parent) : QWidget(parent, Qt::Window), last_(last) {
  setWindowTitle(QStringLiteral("График"));
  wave_ = new QChart;
  level_ = new QChart;
  summary_ = new QLabel(QStringLiteral("Поиска ещё не было."));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ChartView(wave_, QStringLiteral("Сигнал последнего запроса и его ключевые точки"), 260), 3);
  layout->addWidget(ChartView(level_, QStringLiteral("Уровень сигнала за каждые 50 мс, дБ от полной шкалы"), 200), 2);
  layout->addWidget(summary_);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(980, 680);
}

void GraphWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

QString GraphWindow::SummaryText() const { return summary_->text(); }

void GraphWindow::Refresh() {
  if (!last_.HasQuery()) return;
  const QueryAnalyses analysed(*last_.samples, last_.analysis);
  graph_ = SignalGraph::Of(*last_.samples, analysed.Searched().Keypoints());
  summary_->setText(graph_.Summary(static_cast<int32_t>(analysed.Searched().Keypoints().size()),
                                   static_cast<int32_t>(analysed.Landmarked().Landmarks().landmarks.size())));
  for (QChart* chart : {wave_, level_}) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) chart->removeAxis(axis);
  }
  const double seconds = std::max(graph_.seconds, 0.1);
  QValueAxis* x = AddAxis(wave_, Qt::AlignBottom, QStringLiteral("секунды"), 0, seconds);
  QValueAxis* y = AddAxis(wave_, Qt::AlignLeft, QStringLiteral("отсчёт"), -32768, 32768, QStringLiteral("%d"));
  y->setTickCount(9);
  AddLine(wave_, x, y, QStringLiteral("Наибольший за 10 мс"), graph_.highest, QColor(30, 90, 200));
  AddLine(wave_, x, y, QStringLiteral("Наименьший за 10 мс"), graph_.lowest, QColor(120, 160, 230));
  AddLine(wave_, x, y, QStringLiteral("Слабый сигнал (500)"),
          {{0, double(SignalGraph::kWeakSignal)}, {seconds, double(SignalGraph::kWeakSignal)}}, QColor(230, 150, 0));
  AddScatter(wave_, x, y, QStringLiteral("Ключевые точки"), graph_.keypoints, QColor(210, 30, 30), 8);

  QValueAxis* t = AddAxis(level_, Qt::AlignBottom, QStringLiteral("секунды"), 0, seconds);
  QValueAxis* db = AddAxis(level_, Qt::AlignLeft, QStringLiteral("дБ"), -90, 0, QStringLiteral("%d"));
  db->setTickCount(7);
  AddLine(level_, t, db, QStringLiteral("Пик"), graph_.peakDb, QColor(210, 30, 30));
  AddLine(level_, t, db, QStringLiteral("Средний уровень"), graph_.rmsDb, QColor(30, 90, 200));
  const double weakDb = DecibelsOfFullScale(SignalGraph::kWeakSignal);
  AddLine(level_, t, db, QStringLiteral("Порог слабого сигнала"), {{0, weakDb}, {seconds, weakDb}}, QColor(230, 150, 0));
}

}  // namespace melo::melodar
