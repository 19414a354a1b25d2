#include "searcher/windows/window_parts.h"
#include "searcher/windows/index_census_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

IndexCensusWindow::IndexCensusWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), last_(last) {
  setWindowTitle(QStringLiteral("Кол-во данных и размер записи"));
  counts_ = new TextTableModel({QStringLiteral("Величина"), QStringLiteral("Значение")}, this);
  tracks_ = new TextTableModel({QStringLiteral("Трек"), QStringLiteral("Название"), QStringLiteral("Записей"),
                                QStringLiteral("Длительность"), QStringLiteral("Без пика"), QStringLiteral("Ориентиров"),
                                QStringLiteral("Ориентиров в секунду")},
                               this);
  sizes_ = new TextTableModel({QStringLiteral("Структура"), QStringLiteral("Элементов"),
                               QStringLiteral("Байт на элемент"), QStringLiteral("Всего, байт"),
                               QStringLiteral("На час аудио, байт")},
                              this);
  auto* split = new QSplitter(Qt::Vertical);
  QTableView* countView = TextTableView(counts_, {300, 200});
  countView->horizontalHeader()->setStretchLastSection(true);
  QTableView* trackView = TextTableView(tracks_, {50, 330, 80, 100, 80, 90, 150});
  trackView->horizontalHeader()->setStretchLastSection(true);
  split->addWidget(countView);
  split->addWidget(trackView);
  tabs_ = new QTabWidget;
  tabs_->addTab(split, QStringLiteral("Кол-во данных"));
  QTableView* sizeView = TextTableView(sizes_, {300, 120, 130, 140, 160});
  sizeView->horizontalHeader()->setStretchLastSection(true);
  auto* sizePage = new QWidget;
  auto* sizeLayout = new QVBoxLayout(sizePage);
  sizeLayout->addWidget(sizeView, 1);
  record_ = new QLabel;
  record_->setWordWrap(true);
  record_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  sizeLayout->addWidget(record_);
  tabs_->addTab(sizePage, QStringLiteral("Размер записи"));

  auto* buttons = new QHBoxLayout;
  auto* count = new QPushButton(QStringLiteral("Пересчитать"));
  connect(count, &QPushButton::clicked, this, &IndexCensusWindow::Count);
  buttons->addWidget(count);
  bar_ = new JobBar(job_);
  buttons->addWidget(bar_, 1);
  buttons->addStretch();
  QPushButton* close = CloseButton(this);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);
  resize(900, 640);
}

QString IndexCensusWindow::RecordText() const { return record_->text(); }

void IndexCensusWindow::Open(Page page) {
  tabs_->setCurrentIndex(page);
  // The record of the last hit, else the first of the first track.
  const int32_t track = last_.Found() ? last_.Track() : 0;
  const int32_t frame = last_.Found() ? last_.entries.front().frame : 0;
  if (session_.IndexLoaded()) record_->setText(RecordLayout(session_.Index(), track, frame));
  Count();
}

bool IndexCensusWindow::Count() {
  if (!session_.IndexLoaded() || job_.Busy()) return false;
  const SearchIndex& index = session_.Index();
  // The query is the session's: read only between searches, so a copy goes along.
  auto query = std::make_shared<AudioQuery>();
  const AudioQuery& now = session_.Query();
  if (now.Length() > 0) query->Create(now.Samples().data(), now.Length(), now.Analysis());
  auto result = std::make_shared<IndexCensus>();
  job_.Start([&index, query, result](JobProgress& progress) {
    progress.SetStage(QStringLiteral("Подсчёт записей"));
    *result = TakeCensus(index, query->Length() > 0 ? query.get() : nullptr, &progress);
  }, [this, result](bool stopped) {
    if (stopped) return;
    census_ = *result;
    counts_->SetRows(census_.counts);
    sizes_->SetRows(census_.sizes);
    tracks_->SetRows(census_.tracks);
  });
  bar_->Follow();
  return true;
}

}  // namespace melo::melodar
