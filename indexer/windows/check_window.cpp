#include "indexer/windows/check_window.h"

#include "gui/help_video_panel.h"
#include "indexer/windows/run_window_layout.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace melo {

namespace {

constexpr int kHelpPanel = 8;

}  // namespace

TForm7::TForm7(TDataModule1& store, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), run_(store, dialogs),
      duplicates_(new QCheckBox(QStringLiteral("Проверять дубликаты записей (хэш, размер, номер аудио трека)"))),
      emptyFields_(new QCheckBox(QStringLiteral("Проверять пустые поля (хэши, индексные данные, описание)"))),
      sourceFiles_(new QCheckBox(
          QStringLiteral("Проверять наличие исходных файлов (если индексация производилась локально)"))),
      indexValues_(new QCheckBox(QStringLiteral("Проверять значения индексов"))),
      indexSizes_(new QCheckBox(QStringLiteral("Проверять размеры индексов"))),
      landmarks_(new QCheckBox(QStringLiteral("Проверять ориентиры (наличие, версию и размер)"))),
      findings_(new QListWidget),
      progress_(new QProgressBar), status_(new QLabel), start_(new QPushButton(QStringLiteral("Старт"))),
      stop_(new QPushButton(QStringLiteral("Стоп"))), close_(new QPushButton(QStringLiteral("Закрыть"))),
      timer1_(new QTimer(this)), help_(new HelpVideoPanel(kHelpPanel)) {
  setWindowTitle(QStringLiteral("Поиск ошибок в базе данных"));
  help_->LoadPicture();
  help_->setVisible(help_->HasContent());
  const CheckDatabase::Options defaults;
  duplicates_->setChecked(defaults.duplicates);
  emptyFields_->setChecked(defaults.emptyFields);
  sourceFiles_->setChecked(defaults.sourceFiles);
  indexValues_->setChecked(defaults.indexValues);
  indexSizes_->setChecked(defaults.indexSizes);
  landmarks_->setChecked(defaults.landmarks);

  auto* options = new QVBoxLayout;
  for (QCheckBox* box : {duplicates_, emptyFields_, sourceFiles_, indexValues_, indexSizes_, landmarks_}) {
    options->addWidget(box);
  }
  options->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(options, 1);
  top->addWidget(help_, 0, Qt::AlignTop);

  LayOutRunWindow(this, top, QStringLiteral("Найденные ошибки"), Parts());
  resize(820, 560);

  connect(start_, &QPushButton::clicked, this, &TForm7::StartClick);
  connect(stop_, &QPushButton::clicked, this, &TForm7::StopClick);
  connect(close_, &QPushButton::clicked, this, &TForm7::close);
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, &TForm7::Timer1Timer);
  run_.onFinding = [this](const QString& line) { findings_->addItem(line); };
  run_.onStateChanged = [this] { ShowState(); };
}

CheckDatabase::Options TForm7::Options() const {
  return {duplicates_->isChecked(), emptyFields_->isChecked(), sourceFiles_->isChecked(), indexValues_->isChecked(),
          indexSizes_->isChecked(), landmarks_->isChecked()};
}

void TForm7::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (run_.Running()) return;
  run_.Reset();
  findings_->clear();
  progress_->hide();
  status_->setText(run_.StatusText());
  ShowState();
}

void TForm7::StartClick() {
  if (!run_.Running()) {
    findings_->clear();
    progress_->setValue(0);
    progress_->show();
  }
  if (run_.Start(Options())) timer1_->start();
}

void TForm7::StopClick() {
  if (!run_.Running()) {
    run_.Stop();  // says that no check runs
    return;
  }
  progress_->hide();
  run_.Stop();
}

RunWindowParts TForm7::Parts() const { return {findings_, progress_, status_, start_, stop_, close_}; }

// The run started or ended (its finish call, which also follows a stop).
void TForm7::ShowState() {
  const bool running = run_.Running();
  ShowRunButtons(Parts(), running);
  if (!running) {
    timer1_->stop();
    progress_->setValue(100);
    status_->setText(run_.StatusText());
  }
}

void TForm7::Timer1Timer() {
  if (run_.Running()) progress_->setValue(run_.Progress());
  status_->setText(run_.StatusText());
}

void TForm7::reject() {
  if (!run_.MayClose()) return;
  help_->Close();
  QDialog::reject();
}

}  // namespace melo
