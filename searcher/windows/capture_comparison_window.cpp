#include "searcher/windows/capture_comparison_window.h"

#include "fingerprint/sample_buffer.h"
#include "searcher/app/landmark_geometry.h"
#include "searcher/app/last_search.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/window_parts.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace melo::melodar {

namespace {

// Each band by its upper edge.
const QStringList kBandNames = {QStringLiteral("0: 375"),  QStringLiteral("1: 750"),  QStringLiteral("2: 1125"),
                                QStringLiteral("3: 1500"), QStringLiteral("4: 2250"), QStringLiteral("5: 3000"),
                                QStringLiteral("6: 4594"), QStringLiteral("7: 6000")};

void Clear(QChart* chart) {
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) chart->removeAxis(axis);
}

}  // namespace

CaptureComparisonWindow::CaptureComparisonWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QueryJobWindow(session, last, QStringLiteral("Сравнение спектров исходника и захваченного аудио"), parent) {
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Трек")));
  track_ = new QSpinBox;
  track_->setRange(0, 0);
  track_->setMinimumWidth(70);
  top->addWidget(track_);
  top->addWidget(new QLabel(QStringLiteral("Начало запроса в треке, с")));
  start_ = new QDoubleSpinBox;
  start_->setRange(-10, 36000);
  start_->setDecimals(3);
  start_->setSingleStep(0.1);
  top->addWidget(start_);
  auto* take = new QPushButton(QStringLiteral("Место последнего поиска"));
  connect(take, &QPushButton::clicked, this, &CaptureComparisonWindow::TakeLastHit);
  top->addWidget(take);
  auto* compare = new QPushButton(QStringLiteral("Сравнить"));
  connect(compare, &QPushButton::clicked, this, &CaptureComparisonWindow::Compare);
  top->addWidget(compare);
  follow_ = new QCheckBox(QStringLiteral("Следить за поиском"));
  follow_->setChecked(true);
  top->addWidget(follow_);
  top->addWidget(bar_, 1);
  top->addStretch();
  summary_->setText(QStringLiteral("Запрос сравнивается с треком на месте последнего найденного результата."));

  tabs_ = new QTabWidget;
  frames_ = new TextTableModel({QStringLiteral("Кадр"), QStringLiteral("Позиция в запросе"),
                                QStringLiteral("Полосы трека"), QStringLiteral("Полосы запроса"),
                                QStringLiteral("Разница (запрос − трек)"), QStringLiteral("Сумма / макс."),
                                QStringLiteral("Вывод")},
                               this);
  auto* bandPage = new QWidget;
  auto* bandLayout = new QVBoxLayout(bandPage);
  QTableView* frameView = TextTableView(frames_, {55, 135, 170, 170, 190, 100, 170});
  frameView->horizontalHeader()->setStretchLastSection(true);
  bandLayout->addWidget(frameView, 3);
  bands_ = new QChart;
  bandLayout->addWidget(ChartView(bands_, QStringLiteral("Полосы: запрос против трека")), 2);
  bandLayout->setContentsMargins(0, 0, 0, 0);
  tabs_->addTab(bandPage, QStringLiteral("Полосы по кадрам"));
  auto* spectrumPage = new QWidget;
  auto* spectrumLayout = new QVBoxLayout(spectrumPage);
  spectra_ = new QChart;
  difference_ = new QChart;
  spectrumLayout->addWidget(ChartView(spectra_, QStringLiteral("Средний спектр под запросом")), 3);
  spectrumLayout->addWidget(ChartView(difference_, QStringLiteral("Запись против исходника")), 2);
  tabs_->addTab(spectrumPage, QStringLiteral("Спектры исходника и записи"));
  peaks_ = new QChart;
  tabs_->addTab(ChartView(peaks_, QStringLiteral("Пики записи и ориентиры трека")), QStringLiteral("Пики и ориентиры"));

  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(summary_);
  layout->addWidget(tabs_, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1300, 760);
}

void CaptureComparisonWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!result_.frames.empty() || job_.Busy()) return;
  if (last_.Found()) {
    TakeLastHit();
    Compare();
  } else if (HasQuery()) {
    track_->setMaximum(std::max(0, session_.Index().TrackCount() - 1));
    summary_->setText(QStringLiteral("Последний поиск ничего не нашёл: выберите трек и начало запроса в нём и "
                                     "нажмите «Сравнить»."));
  }
}

void CaptureComparisonWindow::FollowSearch() {
  if (!isVisible() || !follow_->isChecked() || !last_.Found() || job_.Busy()) return;
  TakeLastHit();
  Compare();
}

void CaptureComparisonWindow::TakeLastHit() {
  track_->setMaximum(std::max(0, session_.Index().TrackCount() - 1));
  if (!last_.Found()) return;
  track_->setValue(last_.Track());
  start_->setValue(static_cast<double>(last_.queryStartInTrack) / kSampleRate);
}

bool CaptureComparisonWindow::Compare() {
  const SearchIndex& index = session_.Index();
  const int32_t track = track_->value();
  if (!HasQuery() || !session_.IndexLoaded() || job_.Busy() || track >= index.TrackCount() ||
      !index.tracks[track].loaded) {
    return false;
  }
  CaptureComparisonInput input;
  input.samples = last_.samples;
  input.track = track;
  input.start = std::llround(start_->value() * kSampleRate);
  input.params = session_.Parameters();
  input.info = index.infos[static_cast<size_t>(track)];
  input.records = &index.tracks[track];
  input.landmarks = index.landmarks.get();
  input.databasePath = session_.Settings().databasePath;
  input.ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  auto result = std::make_shared<CaptureComparison>();
  job_.Start([input, result](JobProgress& progress) { *result = CompareCapture(input, progress); },
             [this, result](bool) {
               result_ = *result;
               Show();
             });
  bar_->Follow();
  return true;
}

void CaptureComparisonWindow::Show() {
  summary_->setText(result_.Summary());
  frames_->SetRows(result_.FrameRows());
  DrawBands();
  DrawSpectra();
  DrawPeaks();
}

void CaptureComparisonWindow::DrawBands() {
  Clear(bands_);
  auto* signedSet = new QBarSet(QStringLiteral("Средняя разница (запрос − трек)"));
  auto* absSet = new QBarSet(QStringLiteral("Средняя абсолютная разница"));
  double top = result_.bandTolerance + 1.0, bottom = 0;
  for (int m = 0; m < 8; ++m) {
    *signedSet << result_.meanDifference[m];
    *absSet << result_.meanAbsDifference[m];
    top = std::max({top, result_.meanDifference[m], result_.meanAbsDifference[m]});
    bottom = std::min(bottom, result_.meanDifference[m]);
  }
  auto* series = new QBarSeries;
  series->append(signedSet);
  series->append(absSet);
  bands_->addSeries(series);
  auto* x = new QBarCategoryAxis;
  x->append(kBandNames);
  x->setTitleText(QStringLiteral("полоса: её верхняя частота, Гц"));
  bands_->addAxis(x, Qt::AlignBottom);
  series->attachAxis(x);
  QValueAxis* y = AddAxis(bands_, Qt::AlignLeft, QStringLiteral("байт полосы"), bottom * 1.1 - 1, top * 1.1 + 1,
                          QStringLiteral("%d"));
  y->applyNiceNumbers();
  series->attachAxis(y);
}

void CaptureComparisonWindow::DrawSpectra() {
  Clear(spectra_);
  Clear(difference_);
  if (!result_.sourceRead) {
    spectra_->setTitle(QStringLiteral("Средний спектр под запросом: ") + result_.sourceProblem);
    return;
  }
  spectra_->setTitle(QStringLiteral("Средний спектр под запросом"));
  double low = 1e9, high = -1e9, lowDiff = 0, highDiff = 0;
  for (const QList<QPointF>* line : {&result_.sourceSpectrum, &result_.capturedSpectrum}) {
    for (const QPointF& p : *line) {
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
  }
  for (const QPointF& p : result_.spectrumDifference) {
    lowDiff = std::min(lowDiff, p.y());
    highDiff = std::max(highDiff, p.y());
  }
  QValueAxis* x = AddAxis(spectra_, Qt::AlignBottom, QStringLiteral("Гц"), 0, 4000, QStringLiteral("%d"));
  x->setTickCount(9);
  QValueAxis* y = AddAxis(spectra_, Qt::AlignLeft, QStringLiteral("дБ"), std::floor(low) - 3, std::ceil(high) + 3,
                          QStringLiteral("%d"));
  y->applyNiceNumbers();
  AddLine(spectra_, x, y, QStringLiteral("Исходный файл"), result_.sourceSpectrum, QColor(30, 90, 200));
  AddLine(spectra_, x, y, QStringLiteral("Захваченный звук"), result_.capturedSpectrum, QColor(210, 30, 30));
  QValueAxis* dx = AddAxis(difference_, Qt::AlignBottom, QStringLiteral("Гц"), 0, 4000, QStringLiteral("%d"));
  dx->setTickCount(9);
  QValueAxis* dy = AddAxis(difference_, Qt::AlignLeft, QStringLiteral("дБ"), std::floor(lowDiff) - 3,
                           std::ceil(highDiff) + 3, QStringLiteral("%d"));
  dy->applyNiceNumbers();
  AddLine(difference_, dx, dy, QStringLiteral("Запись минус исходник"), result_.spectrumDifference, QColor(0, 130, 60));
}

void CaptureComparisonWindow::DrawPeaks() {
  Clear(peaks_);
  const double seconds = last_.HasQuery() ? static_cast<double>(last_.samples->size()) / kSampleRate : 1;
  QValueAxis* x = AddAxis(peaks_, Qt::AlignBottom, QStringLiteral("секунды запроса"), 0, seconds);
  QValueAxis* y = AddAxis(peaks_, Qt::AlignLeft, QStringLiteral("Гц"), 0, 4000, QStringLiteral("%d"));
  y->setTickCount(9);
  // Frames are drawn at their middles, 128 ms after their start.
  const double middle = FrameSeconds(landmarks::kFrameSize * landmarks::kDecimation / 2.0 /
                                     landmarks::kInputSamplesPerHop);
  QList<QPointF> captured, stored, matched;
  for (const landmarks::SpectralPeak& p : result_.capturedPeaks) {
    captured.append({FrameSeconds(p.frame) + middle, BinHz(p.bin)});
  }
  const int32_t offset = result_.alignment.offset;
  for (const landmarks::Landmark& l : result_.storedInSpan) {
    stored.append({FrameSeconds(l.frame - offset) + middle, BinHz(AnchorBin(l.hash))});
    stored.append({FrameSeconds(l.frame - offset + FrameDelta(l.hash)) + middle, BinHz(PartnerBin(l.hash))});
  }
  for (const AlignedLandmark& a : result_.alignment.landmarks) {
    if (a.storedFrame < 0) continue;
    matched.append({FrameSeconds(a.query.frame) + middle, BinHz(AnchorBin(a.query.hash))});
    matched.append({FrameSeconds(a.query.frame + FrameDelta(a.query.hash)) + middle, BinHz(PartnerBin(a.query.hash))});
  }
  AddScatter(peaks_, x, y, QStringLiteral("Пики записи"), captured, QColor(90, 130, 220), 5);
  AddScatter(peaks_, x, y, QStringLiteral("Ориентиры трека в базе"), stored, QColor(220, 40, 40), 7);
  AddScatter(peaks_, x, y, QStringLiteral("Совпавшие ориентиры"), matched, QColor(0, 170, 60), 10);
}

}  // namespace melo::melodar
