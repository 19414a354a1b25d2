#include "searcher/windows/job_bar.h"

#include "searcher/app/background_job.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace melo::melodar {

namespace {

constexpr int kUpdateMs = 100;
constexpr int kSteps = 1000;

}  // namespace

JobBar::JobBar(BackgroundJob& job, QWidget* parent) : QWidget(parent), job_(job) {
  stage_ = new QLabel;
  bar_ = new QProgressBar;
  bar_->setRange(0, kSteps);
  stop_ = new QPushButton(QStringLiteral("Стоп"));
  connect(stop_, &QPushButton::clicked, this, [this] {
    job_.Stop();
    stop_->setEnabled(false);
  });
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(stage_);
  layout->addWidget(bar_, 1);
  layout->addWidget(stop_);
  connect(&timer_, &QTimer::timeout, this, &JobBar::Update);
  hide();
}

void JobBar::Follow() {
  stop_->setEnabled(true);
  Update();
  timer_.start(kUpdateMs);
}

void JobBar::Update() {
  if (!job_.Busy()) {
    timer_.stop();
    hide();
    return;
  }
  show();
  const JobProgress& progress = job_.Progress();
  stage_->setText(progress.Stage());
  // An unknown total shows the busy bar.
  bar_->setMaximum(progress.Total() > 0 ? kSteps : 0);
  bar_->setValue(static_cast<int>(progress.Fraction() * kSteps));
}

}  // namespace melo::melodar
