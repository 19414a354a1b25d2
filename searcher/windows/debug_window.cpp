#include "searcher/windows/debug_window.h"

#include "base/dialogs.h"
#include "searcher/app/debug_texts.h"
#include "fingerprint/index_record.h"
#include "searcher/app/search_history.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/engine/search_index.h"
#include "landmarks/landmark_settings.h"
#include "searcher/windows/text_table_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace melo::melodar {

namespace {

constexpr int64_t kSecond = 48000;

}  // namespace

DebugWindow::DebugWindow(SearcherSession& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs), inspection_(session.Index()) {
  setWindowTitle(QStringLiteral("Отладка"));
  auto* top = new QHBoxLayout;
  track_ = new QSpinBox;
  track_->setRange(0, 0);
  connect(track_, &QSpinBox::valueChanged, this, &DebugWindow::Refresh);
  top->addWidget(new QLabel(QStringLiteral("Трек")));
  top->addWidget(track_);
  place_ = new QLabel;
  place_->setMinimumWidth(330);
  top->addWidget(place_);
  for (const auto& [text, step] : {std::pair{"−1 с", -kSecond}, std::pair{"−0,1 с", -kSecond / 10},
                                   std::pair{"+0,1 с", kSecond / 10}, std::pair{"+1 с", kSecond}}) {
    auto* button = new QPushButton(QString::fromUtf8(text));
    connect(button, &QPushButton::clicked, this, [this, step = step] { Step(step); });
    top->addWidget(button);
  }
  top->addStretch();
  values_ = new QLabel;
  values_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  tabs_ = new QTabWidget;
  frames_ = new TextTableModel({QStringLiteral("Кадр"), QStringLiteral("Позиция в треке"),
                                QStringLiteral("Позиция в запросе"), QStringLiteral("Амплитуда трека"),
                                QStringLiteral("Амплитуда запроса"), QStringLiteral("Полосы трека"),
                                QStringLiteral("Полосы запроса"), QStringLiteral("Разница (сумма/макс.)")},
                               this);
  tabs_->addTab(TextTableView(frames_, {60, 115, 130, 130, 140, 190, 190, 160}),
                QStringLiteral("Кадры трека в запросе"));
  keypoints_ = new TextTableModel({QStringLiteral("Точка"), QStringLiteral("Позиция"), QStringLiteral("Амплитуда"),
                                   QStringLiteral("Полосы запроса"), QStringLiteral("Кадр"),
                                   QStringLiteral("Полосы трека"), QStringLiteral("Разница (сумма/макс.)")},
                                  this);
  tabs_->addTab(TextTableView(keypoints_, {50, 80, 90, 190, 60, 190, 160}), QStringLiteral("Ключевые точки запроса"));
  landmarks_ = new TextTableModel({QStringLiteral("Кадр"), QStringLiteral("Время, с"), QStringLiteral("Опорная, Гц"),
                                   QStringLiteral("Вторая, Гц"), QStringLiteral("Через, мс"), QStringLiteral("Хэш"),
                                   QStringLiteral("В треке")},
                                  this);
  auto* landmarkPage = new QWidget;
  auto* landmarkLayout = new QVBoxLayout(landmarkPage);
  landmarkSummary_ = new QLabel;
  landmarkSummary_->setWordWrap(true);
  landmarkLayout->addWidget(landmarkSummary_);
  landmarkLayout->addWidget(TextTableView(landmarks_, {70, 80, 100, 100, 80, 90, 140}), 1);
  trackResults_ = new TextTableModel({QStringLiteral("№"), QStringLiteral("Итоговая разница"),
                                      QStringLiteral("Позиция"), QStringLiteral("Кадр"),
                                      QStringLiteral("Ключевая точка"), QStringLiteral("Разница в спектрах"),
                                      QStringLiteral("Черновая разница"), QStringLiteral("Точек")},
                                     this);
  QTableView* results = TextTableView(trackResults_, {40, 120, 110, 60, 110, 130, 130, 60});
  connect(results, &QTableView::clicked, this, [this](const QModelIndex& i) {
    if (i.row() >= static_cast<int>(found_.size())) return;
    start_ = found_[i.row()].position - inspection_.Query().Length();
    Refresh();
  });
  auto* searchPage = new QWidget;
  auto* searchLayout = new QVBoxLayout(searchPage);
  searchSummary_ = new QLabel(QStringLiteral("Поиск в одном треке ещё не выполнялся."));
  searchSummary_->setWordWrap(true);
  searchLayout->addWidget(searchSummary_);
  searchLayout->addWidget(results, 1);
  tabs_->addTab(searchPage, QStringLiteral("Поиск в треке"));
  tabs_->addTab(landmarkPage, QStringLiteral("Ориентиры запроса"));

  auto* buttons = new QHBoxLayout;
  auto* ordinary = new QPushButton(QStringLiteral("Обычный поиск в треке"));
  auto* thorough = new QPushButton(QStringLiteral("Тщательный поиск в треке"));
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(ordinary, &QPushButton::clicked, this, [this] { SearchTrack(false); });
  connect(thorough, &QPushButton::clicked, this, [this] { SearchTrack(true); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  buttons->addWidget(ordinary);
  buttons->addWidget(thorough);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(values_);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);
  resize(1180, 600);
  Refresh();
}

int32_t DebugWindow::Track() const { return track_->value(); }

void DebugWindow::SetQuery(const std::vector<int16_t>& samples) {
  track_->setMaximum(std::max(0, session_.Index().TrackCount() - 1));
  inspection_.SetQuery(samples, session_.Parameters().analysis);
}

void DebugWindow::ShowReport(const SearchReport& report) {
  if (!isVisible()) return;
  SetQuery(report.query->Samples());
  if (report.outcome.Found()) {
    const ResultEntry& best = report.outcome.entries.front();
    start_ = report.queryStartInTrack;
    if (report.outcome.robust) {
      values_->setText(QStringLiteral("Последний поиск по ориентирам: голосов %1, ориентиров совпало %2, оценка %3 "
                                      "(нужно %4).")
                           .arg(best.maxBandDifference)
                           .arg(best.insideFrames)
                           .arg(best.score)
                           .arg(session_.Parameters().landmarkScore));
    } else {
      values_->setText(QStringLiteral("Последний поиск: амплитуда трека %1, амплитуда запроса %2, разница в "
                                      "спектрах %3, черновая разница %4, итоговая разница %5")
                           .arg(best.trackAmplitude)
                           .arg(best.queryAmplitude)
                           .arg(double(best.maxBandDifference))
                           .arg(double(best.envelope))
                           .arg(double(best.score)));
    }
    const QSignalBlocker quiet(track_);
    track_->setValue(best.track);
  } else {
    values_->setText(QStringLiteral("Последний поиск ничего не нашёл; запрос показан на прежнем месте."));
  }
  Refresh();
}

void DebugWindow::ShowHistoryLine(const QString& line) {
  const QStringList fields = SearchHistory::Fields(line);
  if (fields[SearchHistory::kPosition].isEmpty()) return;
  track_->setMaximum(std::max(0, session_.Index().TrackCount() - 1));
  const int64_t length = inspection_.HasQuery() ? inspection_.Query().Length()
                                                : int64_t{session_.Parameters().querySeconds} * kSecond;
  start_ = fields[SearchHistory::kPosition].toLongLong() - length;
  values_->setText(QStringLiteral("Запись истории %1: разница в спектрах %2, черновая разница %3, итоговая "
                                  "разница %4, точек %5")
                       .arg(fields[SearchHistory::kMoment].trimmed(), fields[SearchHistory::kBandDifference],
                            fields[SearchHistory::kEnvelope], fields[SearchHistory::kScore],
                            fields[SearchHistory::kInside]));
  const QSignalBlocker quiet(track_);
  track_->setValue(fields[SearchHistory::kNumber].toInt());
  Refresh();
}

void DebugWindow::LoadHistoryQuery(const QString& line) {
  if (session_.SearchRunning()) return dialogs_.ShowMessage(QStringLiteral("Дождитесь завершения поиска!"));
  const QString stamp = SearchHistory::Fields(line)[SearchHistory::kMoment];
  const int32_t slot = session_.History().Find(stamp);
  if (slot >= 0) SetQuery(session_.History().Samples(slot));
  ShowHistoryLine(line);
}

void DebugWindow::Step(int64_t samples) {
  start_ += samples;
  Refresh();
}

void DebugWindow::SearchTrack(bool thorough) {
  if (!session_.IndexLoaded()) return dialogs_.ShowMessage(QStringLiteral("Дождитесь завершения загрузки базы данных!"));
  if (!inspection_.HasQuery()) return dialogs_.ShowMessage(QStringLiteral("Нет аудио запроса!"));
  SearchParameters params = session_.Parameters();
  if (thorough) params.SetMode(SearchMode::Thorough);
  const SearchInspection::TrackSearch search = inspection_.SearchTrack(Track(), params);
  found_ = search.entries;
  QList<QStringList> rows;
  for (size_t k = 0; k < found_.size(); ++k) {
    const ResultEntry& e = found_[k];
    rows.append({QString::number(k + 1), QString::number(e.score), PlaceText(e.position), QString::number(e.frame),
                 QString::number(e.keypoint), QString::number(e.maxBandDifference), QString::number(e.envelope),
                 QString::number(e.insideFrames)});
  }
  trackResults_->SetRows(rows);
  const ScanCounters& c = search.counters;
  searchSummary_->setText(QStringLiteral("%1 поиск в треке %2 (допуски %3/%4/%5): %6 мс; кадров %7, сравнений %8, "
                                         "совпадений %9, проверок амплитуд %10, кандидатов %11, результатов %12. "
                                         "Щелчок по строке переносит запрос на место результата.")
                              .arg(thorough ? QStringLiteral("Тщательный") : QStringLiteral("Обычный"))
                              .arg(Track())
                              .arg(params.bandTolerance)
                              .arg(params.amplitudeTolerance)
                              .arg(params.sumTolerance)
                              .arg(Decimal(search.ms, 2))
                              .arg(c.framesExamined)
                              .arg(c.comparisons)
                              .arg(c.coarseMatches)
                              .arg(c.windowsPassed)
                              .arg(c.offered)
                              .arg(found_.size()));
  tabs_->setCurrentIndex(2);
  if (!found_.empty()) {
    start_ = found_.front().position - inspection_.Query().Length();
    Refresh();
  }
}

void DebugWindow::Refresh() {
  const int32_t track = Track();
  const int64_t length = inspection_.HasQuery() ? inspection_.Query().Length() : 0;
  place_->setText(QStringLiteral("Запрос в треке: %1 – %2 (отсчёт %3)")
                      .arg(PlaceText(start_), PlaceText(start_ + length))
                      .arg(start_));
  frames_->SetRows(inspection_.FrameRows(track, start_));
  keypoints_->SetRows(inspection_.KeypointRows(track, start_));
  RefreshLandmarks();
  // The matcher's traces follow the frame in the middle of the query.
  SearchParameters& params = session_.Parameters();
  params.debugTrack = track;
  params.debugFrame = static_cast<int32_t>(std::max<int64_t>(0, (start_ + length / 2) / IndexRecord::kSamples));
}

QString DebugWindow::LandmarkSummaryText() const { return landmarkSummary_->text(); }

void DebugWindow::RefreshLandmarks() {
  const int32_t track = Track();
  const SearchIndex& index = session_.Index();
  if (!inspection_.HasQuery() || !inspection_.ValidTrack(track)) {
    landmarks_->SetRows({});
    landmarkSummary_->setText(QString());
    return;
  }
  if (track != storedTrack_) {
    stored_ = StoredTrackLandmarks::Read(session_.Settings().databasePath, index.infos[static_cast<size_t>(track)].id);
    storedTrack_ = track;
  }
  const landmarks::LandmarkSet& query = inspection_.QueryLandmarks();
  if (!stored_.Usable()) {
    landmarks_->SetRows(LandmarkRows(query.landmarks));
    landmarkSummary_->setText(stored_.Problem());
    return;
  }
  const auto offset = static_cast<int32_t>(std::lround(double(start_) / landmarks::kInputSamplesPerHop));
  alignment_ = AlignLandmarks(query.landmarks, query.frames, stored_, offset);
  landmarks_->SetRows(AlignmentRows(alignment_));
  landmarkSummary_->setText(QStringLiteral("Ориентиров запроса %1, из них есть в треке на этом месте %2; ориентиров "
                                           "трека под запросом %3, запрос встретил %4 (%5 %).")
                                .arg(alignment_.landmarks.size())
                                .arg(alignment_.matched)
                                .arg(alignment_.storedInSpan)
                                .arg(alignment_.storedMet)
                                .arg(Decimal(alignment_.storedInSpan > 0 ? 100.0 * alignment_.storedMet / alignment_.storedInSpan
                                                                 : 0.0, 0)));
}

}  // namespace melo::melodar
