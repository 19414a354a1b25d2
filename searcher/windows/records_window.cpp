#include "searcher/windows/window_parts.h"
#include "searcher/windows/records_window.h"

#include "fingerprint/index_record.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/text_table_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

RecordsWindow::RecordsWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), last_(last) {
  setWindowTitle(QStringLiteral("Просмотр записей"));
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Трек")));
  track_ = new QSpinBox;
  track_->setRange(0, 0);
  track_->setMinimumWidth(70);
  connect(track_, &QSpinBox::valueChanged, this, &RecordsWindow::ShowTrack);
  top->addWidget(track_);
  auto* follow = new QPushButton(QStringLiteral("К месту последнего поиска"));
  connect(follow, &QPushButton::clicked, this, &RecordsWindow::FollowSearch);
  top->addWidget(follow);
  title_ = new QLabel;
  top->addWidget(title_, 1);
  summary_ = new QLabel;
  summary_->setWordWrap(true);

  records_ = new TextTableModel({QStringLiteral("Кадр"), QStringLiteral("Время"), QStringLiteral("Позиция"),
                                 QStringLiteral("Отсчёт в треке"), QStringLiteral("Амплитуда"),
                                 QStringLiteral("Полосы"), QStringLiteral("Примечание")},
                                this);
  recordsView_ = TextTableView(records_, {60, 90, 70, 110, 80, 200, 300});
  recordsView_->horizontalHeader()->setStretchLastSection(true);
  landmarks_ = new TextTableModel({QStringLiteral("Кадр"), QStringLiteral("Время, с"), QStringLiteral("Опорная, Гц"),
                                   QStringLiteral("Вторая, Гц"), QStringLiteral("Через, мс"), QStringLiteral("Хэш")},
                                  this);
  auto* landmarkPage = new QWidget;
  auto* landmarkLayout = new QVBoxLayout(landmarkPage);
  landmarkState_ = new QLabel;
  landmarkLayout->addWidget(landmarkState_);
  QTableView* landmarkView = TextTableView(landmarks_, {70, 80, 100, 100, 80, 100});
  landmarkView->horizontalHeader()->setStretchLastSection(true);
  landmarkLayout->addWidget(landmarkView, 1);
  tabs_ = new QTabWidget;
  tabs_->addTab(recordsView_, QStringLiteral("Записи в памяти"));
  tabs_->addTab(landmarkPage, QStringLiteral("Ориентиры в базе данных"));

  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(summary_);
  layout->addWidget(tabs_, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1000, 640);
}

QString RecordsWindow::SummaryText() const { return summary_->text(); }
QString RecordsWindow::LandmarkStateText() const { return landmarkState_->text(); }

void RecordsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (last_.Found()) {
    FollowSearch();
  } else {
    ShowTrack(track_->value());
  }
}

void RecordsWindow::FollowSearch() {
  if (!last_.Found()) return;
  ShowTrack(last_.Track());
  // The record in which the query's middle lies.
  const int64_t middle = last_.queryStartInTrack + static_cast<int64_t>(last_.samples->size()) / 2;
  const int row = static_cast<int>(std::max<int64_t>(0, middle / IndexRecord::kSamples));
  if (row < records_->rowCount()) {
    recordsView_->selectRow(row);
    recordsView_->scrollTo(records_->index(row, 0), QAbstractItemView::PositionAtCenter);
  }
}

void RecordsWindow::ShowTrack(int32_t track) {
  // The index is filled by the load's own thread: read only once it is done.
  if (!session_.IndexLoaded()) return;
  const SearchIndex& index = session_.Index();
  {
    const QSignalBlocker quiet(track_);
    track_->setMaximum(std::max(0, index.TrackCount() - 1));
    track_->setValue(track);
  }
  shown_ = ReadTrackRecords(index, track, session_.Parameters().minimumAmplitude);
  records_->SetRows(shown_.rows);
  title_->setText(TrackTitle(index, track));
  const int32_t landmarks = index.landmarks ? index.landmarks->LandmarksOf(track) : -1;
  summary_->setText(shown_.Summary(landmarks));
  if (track < 0 || track >= index.TrackCount()) return;
  const StoredTrackLandmarks stored =
      StoredTrackLandmarks::Read(session_.Settings().databasePath, index.infos[static_cast<size_t>(track)].id);
  landmarks_->SetRows(stored.Usable() ? LandmarkRows(stored.landmarks) : QList<QStringList>{});
  landmarkState_->setText(stored.Usable() ? QStringLiteral("Ориентиров трека в базе данных: %1 на %2 кадрах спектра.")
                                                .arg(stored.landmarks.size())
                                                .arg(stored.frames)
                                          : stored.Problem());
}

}  // namespace melo::melodar
