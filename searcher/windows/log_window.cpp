#include "searcher/windows/log_window.h"

#include "searcher/app/searcher_session.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

// A log that runs for hours keeps its newest lines.
constexpr int kKeptLines = 20000;

// The traces end their lines with CR LF; the pages take one line per line.
void AppendTrace(QPlainTextEdit* page, QString text) {
  text.remove(QLatin1Char('\r'));
  while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  if (!text.isEmpty()) page->appendPlainText(text);
}

QString RobustLine(const SearchOutcome& outcome) {
  QString line = QStringLiteral("%1\tLandmarks: lookups=%2 met=%3 offsets>1=%4 candidates=%5 answers=%6")
                     .arg(outcome.queryTimeStamp.trimmed())
                     .arg(outcome.totals.framesExamined)
                     .arg(outcome.totals.comparisons)
                     .arg(outcome.totals.coarseMatches)
                     .arg(outcome.totals.windowsPassed)
                     .arg(outcome.entries.size());
  for (const ResultEntry& e : outcome.entries) {
    line += QStringLiteral("\ttrack=%1 position=%2 votes=%3 matched=%4 score=%5")
                .arg(e.track)
                .arg(e.position)
                .arg(e.maxBandDifference)
                .arg(e.insideFrames)
                .arg(e.score);
  }
  return line;
}

}  // namespace

LogWindow::LogWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Log"));
  auto* tabs = new QTabWidget;
  const QStringList titles = {QStringLiteral("Счётчики и совпадения"), QStringLiteral("Кандидаты"),
                              QStringLiteral("Слежение")};
  for (int i = 0; i < 3; ++i) {
    pages_[i] = new QPlainTextEdit;
    pages_[i]->setReadOnly(true);
    pages_[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
    pages_[i]->setMaximumBlockCount(kKeptLines);
    tabs->addTab(pages_[i], titles[i]);
  }
  auto* clear = new QPushButton(QStringLiteral("Очистить"));
  connect(clear, &QPushButton::clicked, this, [this] {
    for (QPlainTextEdit* page : pages_) page->clear();
  });
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(clear);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs, 1);
  layout->addLayout(buttons);
  resize(900, 520);
}

void LogWindow::ShowReport(const SearchReport& report) {
  AppendTrace(pages_[0], report.countersLine);
  // The landmark search writes no traces: its answers say what it weighed.
  if (report.outcome.robust) AppendTrace(pages_[0], RobustLine(report.outcome));
  AppendTrace(pages_[0], report.outcome.trace1);
  AppendTrace(pages_[1], report.outcome.trace2);
  if (isVisible()) AppendTrace(pages_[2], report.trackingLine);
}

}  // namespace melo::melodar
