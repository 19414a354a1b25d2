#include "searcher/windows/window_parts.h"
#include "searcher/windows/full_search_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

const QStringList kEntryColumns = {QStringLiteral("№"),       QStringLiteral("Трек"),   QStringLiteral("Название"),
                                   QStringLiteral("Позиция"), QStringLiteral("Оценка"), QStringLiteral("Разница в спектрах"),
                                   QStringLiteral("Точек")};
const QStringList kRobustEntryColumns = {QStringLiteral("№"),       QStringLiteral("Трек"),
                                         QStringLiteral("Название"), QStringLiteral("Позиция"),
                                         QStringLiteral("Оценка"),   QStringLiteral("Голосов"),
                                         QStringLiteral("Ориентиров")};
const QStringList kRankingColumns = {QStringLiteral("№"),       QStringLiteral("Трек"),    QStringLiteral("Название"),
                                     QStringLiteral("Позиция"), QStringLiteral("Голосов"), QStringLiteral("Ориентиров"),
                                     QStringLiteral("Оценка"),  QStringLiteral("Ответ")};

const QList<int> kWidths = {30, 45, 380, 90, 70, 140, 100, 200};

QGroupBox* Group(const QString& title, TextTableModel* model) {
  auto* group = new QGroupBox(title);
  QTableView* view = TextTableView(model, kWidths);
  view->horizontalHeader()->setStretchLastSection(true);
  (new QVBoxLayout(group))->addWidget(view);
  return group;
}

// A table whose columns changed forgets their widths.
void Widen(QGroupBox* group) {
  auto* view = group->findChild<QTableView*>();
  for (int c = 0; c < kWidths.size(); ++c) view->setColumnWidth(c, kWidths[c]);
}

}  // namespace

FullSearchWindow::FullSearchWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QueryJobWindow(session, last, QStringLiteral("Полный поиск"), parent) {
  program_ = new TextTableModel(kEntryColumns, this);
  full_ = new TextTableModel(kEntryColumns, this);
  auto* top = new QHBoxLayout;
  auto* run = new QPushButton(QStringLiteral("Искать последний запрос"));
  connect(run, &QPushButton::clicked, this, &FullSearchWindow::Run);
  top->addWidget(run);
  top->addWidget(bar_, 1);
  top->addStretch();
  summary_->setText(QStringLiteral("Поиск последнего запроса как в программе и без её сокращений."));
  auto* tables = new QVBoxLayout;
  programGroup_ = Group(QStringLiteral("Как ищет программа"), program_);
  tables->addWidget(programGroup_);
  fullGroup_ = Group(QStringLiteral("Полный просмотр всех кадров"), full_);
  tables->addWidget(fullGroup_);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(summary_);
  layout->addLayout(tables, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1120, 620);
}

bool FullSearchWindow::Run() {
  const SearchIndex& index = session_.Index();
  auto result = std::make_shared<FullSearchRun>();
  return StartOnQuery(
      [&index, result](const std::vector<int16_t>& samples, const SearchParameters& params, JobProgress& progress) {
        *result = RunFullSearch(index, samples, params, progress);
      },
      [this, result] {
        run_ = *result;
        Show();
      });
}

void FullSearchWindow::Show() {
  const SearchIndex& index = session_.Index();
  summary_->setText(run_.Summary());
  program_->SetTable(run_.robust ? kRobustEntryColumns : kEntryColumns, EntryRows(run_.program.entries, index));
  if (run_.robust) {
    fullGroup_->setTitle(QStringLiteral("Все треки с общими ориентирами"));
    full_->SetTable(kRankingColumns, RankingRows(run_, index));
  } else {
    fullGroup_->setTitle(QStringLiteral("Полный просмотр всех кадров"));
    full_->SetTable(kEntryColumns, EntryRows(run_.everyFrame.entries, index));
  }
  Widen(programGroup_);
  Widen(fullGroup_);
}

}  // namespace melo::melodar
