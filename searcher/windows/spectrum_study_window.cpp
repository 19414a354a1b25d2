#include "searcher/windows/window_parts.h"
#include "searcher/windows/spectrum_study_window.h"

#include "fingerprint/sample_buffer.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/last_search.h"
#include "searcher/app/query_analyses.h"
#include "searcher/app/searcher_session.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/windows/job_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

QString ColourName(QRgb colour) { return QColor::fromRgb(colour).name(); }

}  // namespace

SpectrumStudyWindow::SpectrumStudyWindow(SearcherSession& session, const LastSearch& last, QWidget* parent)
    : QueryJobWindow(session, last, QStringLiteral("Изучение спектров"), parent) {
  auto* top = new QHBoxLayout;
  source_ = new QComboBox;
  source_->addItems({QStringLiteral("Последний запрос"), QStringLiteral("Кольцо захвата: последние секунды")});
  top->addWidget(source_);
  top->addWidget(new QLabel(QStringLiteral("Секунд")));
  seconds_ = new QSpinBox;
  seconds_->setRange(1, 100);
  seconds_->setValue(20);
  top->addWidget(seconds_);
  auto* study = new QPushButton(QStringLiteral("Показать"));
  connect(study, &QPushButton::clicked, this, &SpectrumStudyWindow::Study);
  top->addWidget(study);
  peaks_ = new QCheckBox(QStringLiteral("Пики"));
  landmarks_ = new QCheckBox(QStringLiteral("Ориентиры"));
  keypoints_ = new QCheckBox(QStringLiteral("Ключевые точки"));
  for (QCheckBox* box : {peaks_, landmarks_, keypoints_}) {
    box->setChecked(true);
    connect(box, &QCheckBox::toggled, this, &SpectrumStudyWindow::Draw);
    top->addWidget(box);
  }
  top->addWidget(bar_, 1);
  top->addStretch();
  image_ = new QLabel;
  image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* scroll = new QScrollArea;
  scroll->setWidget(image_);
  scroll->setWidgetResizable(true);
  scroll->setBackgroundRole(QPalette::Base);
  summary_->setTextFormat(Qt::RichText);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(scroll, 1);
  layout->addWidget(summary_);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1200, 660);
}

void SpectrumStudyWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (spectrogram_.Frames() == 0) Study();
}

void SpectrumStudyWindow::FollowSearch() {
  if (isVisible() && source_->currentIndex() == kLastQuery && !job_.Busy()) Study();
}

bool SpectrumStudyWindow::Study() {
  if (job_.Busy()) return false;
  auto samples = std::make_shared<std::vector<int16_t>>();
  std::vector<int32_t> keypoints;
  if (source_->currentIndex() == kLastQuery) {
    if (!HasQuery()) return false;
    *samples = *last_.samples;
    const QueryAnalyses analysed(*samples, last_.analysis);
    for (const QueryKeypoint& k : analysed.Searched().Keypoints()) keypoints.push_back(static_cast<int32_t>(k.position));
  } else {
    const CaptureRing* ring = session_.Sound().Ring();
    const uint32_t wanted = static_cast<uint32_t>(seconds_->value()) * kSampleRate;
    const uint32_t count = ring ? std::min(wanted, ring->Filled()) : 0;
    samples->resize(count);
    if (count == 0 || ring->Read(ring->Total() - count, count, samples->data()) != CaptureRing::kReadOk) {
      summary_->setText(QStringLiteral("Кольцо захвата пусто: звук ещё не слышен."));
      return false;
    }
  }
  auto result = std::make_shared<Spectrogram>();
  job_.Start([samples, keypoints, result](JobProgress& progress) {
    progress.SetStage(QStringLiteral("Спектры"));
    *result = Spectrogram::Of(*samples, keypoints, &progress);
  }, [this, result](bool stopped) {
    if (stopped) return;
    spectrogram_ = std::move(*result);
    Draw();
  });
  bar_->Follow();
  return true;
}

void SpectrumStudyWindow::Draw() {
  if (spectrogram_.Frames() == 0) return;
  scale_ = spectrogram_.FittingScale(std::max(width() - 40, 400));
  picture_ = spectrogram_.Picture(scale_, peaks_->isChecked(), landmarks_->isChecked(), keypoints_->isChecked());
  image_->setPixmap(QPixmap::fromImage(picture_));
  const landmarks::LandmarkSet& set = spectrogram_.Set();
  summary_->setText(QStringLiteral("%1 кадров спектра по 16 мс (%2 с). <span style='background:#203040; color:%3'>"
                                  "&nbsp;■ пики: %4&nbsp;</span> <span style='background:#203040; color:%5'>"
                                  "&nbsp;— ориентиры: %6&nbsp;</span> <span style='color:%7'>┆ ключевые точки: %8"
                                  "</span>. Цвет: уровень от тёмного (на 52 дБ тише самого громкого) до жёлтого.")
                       .arg(spectrogram_.Frames())
                       .arg(Decimal(spectrogram_.Frames() * 0.016, 1))
                       .arg(ColourName(Spectrogram::kPeakColour))
                       .arg(set.peaks.size())
                       .arg(ColourName(Spectrogram::kLandmarkColour))
                       .arg(set.landmarks.size())
                       .arg(ColourName(Spectrogram::kKeypointColour))
                       .arg(spectrogram_.Keypoints().size()));
}

}  // namespace melo::melodar
