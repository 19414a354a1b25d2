#include "searcher/windows/profiling_window.h"

#include "searcher/app/search_inspection.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/text_table_view.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

constexpr int kKeptSearches = 500;

}  // namespace

ProfilingWindow::ProfilingWindow(SearcherSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setWindowTitle(QStringLiteral("Профилирование"));
  timings_ = new TextTableModel({QStringLiteral("Момент запроса"), QStringLiteral("Поиск, мс"),
                                 QStringLiteral("Слежение, мс"), QStringLiteral("Первый поток, мс"),
                                 QStringLiteral("Потоки, мс")},
                                this);
  QTableView* table = TextTableView(timings_, {150, 90, 100, 120, 200});
  table->horizontalHeader()->setStretchLastSection(true);

  auto* measure = new QGroupBox(QStringLiteral("Время поиска последнего запроса в одном треке"));
  auto* row = new QHBoxLayout;
  track_ = new QSpinBox;
  track_->setRange(0, 0);
  second_ = new QSpinBox;
  second_->setRange(0, 36000);
  auto* run = new QPushButton(QStringLiteral("Замерить"));
  connect(run, &QPushButton::clicked, this, &ProfilingWindow::Measure);
  row->addWidget(new QLabel(QStringLiteral("Трек")));
  row->addWidget(track_);
  row->addWidget(new QLabel(QStringLiteral("Секунда")));
  row->addWidget(second_);
  row->addWidget(run);
  row->addStretch();
  result_ = new QLabel;
  result_->setWordWrap(true);
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* group = new QVBoxLayout(measure);
  group->addLayout(row);
  group->addWidget(result_);

  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table, 1);
  layout->addWidget(measure);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(780, 520);
}

void ProfilingWindow::ShowReport(const SearchReport& report) {
  samples_ = report.query->Samples();
  track_->setMaximum(std::max(0, report.index->TrackCount() - 1));
  // The place of the last hit, unless the user is choosing one.
  if (report.outcome.Found() && !isVisible()) {
    track_->setValue(report.outcome.entries.front().track);
    second_->setValue(static_cast<int>(report.outcome.entries.front().frame / 2));
  }
  QList<QStringList> rows = timings_->Rows();
  rows.append(ProfileRow(report.outcome));
  while (rows.size() > kKeptSearches) rows.removeFirst();
  timings_->SetRows(rows);
}

QString ProfilingWindow::Measure() {
  QString text;
  SearchInspection inspection(session_.Index());
  if (!session_.IndexLoaded() || samples_.empty()) {
    text = QStringLiteral("Нет аудио запроса: сначала выполните поиск.");
  } else if (!inspection.SetQuery(samples_, session_.Parameters().analysis) ||
             !inspection.ValidTrack(track_->value())) {
    text = QStringLiteral("Трек %1 не загружен или в запросе мало ключевых точек.").arg(track_->value());
  } else {
    const auto t = inspection.TimeScans(track_->value(), second_->value(), session_.Parameters());
    text = QStringLiteral("Полный просмотр трека %1 (%2 кадров): %3 мс; кадров %4, сравнений %5, совпадений %6, "
                          "проверок амплитуд %7, кандидатов %8, результатов %9.\n"
                          "Слежение около секунды %10: %11 мс.")
               .arg(track_->value())
               .arg(inspection.TrackFrames(track_->value()))
               .arg(t.fullMs, 0, 'f', 3)
               .arg(t.counters.framesExamined)
               .arg(t.counters.comparisons)
               .arg(t.counters.coarseMatches)
               .arg(t.counters.windowsPassed)
               .arg(t.counters.offered)
               .arg(t.found)
               .arg(second_->value())
               .arg(t.trackingMs, 0, 'f', 3);
  }
  result_->setText(text);
  return text;
}

}  // namespace melo::melodar
