#include "indexer/windows/landmarks_window.h"

#include "indexer/windows/run_window_layout.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace melo {

AddLandmarksWindow::AddLandmarksWindow(TDataModule1& store, Dialogs& dialogs, std::function<DecodingTools()> tools,
                                       QWidget* parent)
    : QDialog(parent), run_(store, dialogs), tools_(std::move(tools)), lines_(new QListWidget),
      progress_(new QProgressBar), status_(new QLabel), start_(new QPushButton(QStringLiteral("Старт"))),
      stop_(new QPushButton(QStringLiteral("Стоп"))), close_(new QPushButton(QStringLiteral("Закрыть"))),
      timer_(new QTimer(this)) {
  setWindowTitle(kAddLandmarksCommand);
  auto* note = new QLabel(QStringLiteral(
      "Ориентиры (пары пиков спектра) нужны Melodar для поиска через микрофон, в шуме и по телефону. Записям, "
      "проиндексированным без них, ориентиры добавляются из исходных файлов: файл берётся по сохранённому пути, "
      "только если его размер и MD5 совпадают с записью. Остальные записи не меняются. Остановленное добавление "
      "можно продолжить позже."));
  note->setWordWrap(true);

  auto* top = new QVBoxLayout;
  top->addWidget(note);
  LayOutRunWindow(this, top, QStringLiteral("Записи, оставшиеся без ориентиров"), Parts());
  resize(820, 520);

  connect(start_, &QPushButton::clicked, this, &AddLandmarksWindow::StartClick);
  connect(stop_, &QPushButton::clicked, this, &AddLandmarksWindow::StopClick);
  connect(close_, &QPushButton::clicked, this, &AddLandmarksWindow::close);
  timer_->setInterval(500);
  connect(timer_, &QTimer::timeout, this, &AddLandmarksWindow::TimerTick);
  run_.onLine = [this](const QString& line) { lines_->addItem(line); };
  run_.onStateChanged = [this] { ShowState(); };
}

void AddLandmarksWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (run_.Running()) return;
  run_.Reset();
  lines_->clear();
  progress_->hide();
  status_->clear();
  ShowState();
}

void AddLandmarksWindow::StartClick() {
  if (run_.Running()) return;
  lines_->clear();
  progress_->setValue(0);
  progress_->show();
  if (run_.Start(tools_ ? tools_() : DecodingTools{}) == DatabaseLandmarkRun::StartOutcome::Started) {
    timer_->start();
  } else {
    progress_->hide();
  }
}

void AddLandmarksWindow::StopClick() { run_.Stop(); }

RunWindowParts AddLandmarksWindow::Parts() const { return {lines_, progress_, status_, start_, stop_, close_}; }

void AddLandmarksWindow::ShowState() {
  const bool running = run_.Running();
  ShowRunButtons(Parts(), running);
  if (!running) {
    timer_->stop();
    if (progress_->isVisible()) progress_->setValue(run_.Progress());
  }
  status_->setText(run_.StatusText());
}

void AddLandmarksWindow::TimerTick() {
  if (run_.Running()) progress_->setValue(run_.Progress());
  status_->setText(run_.StatusText());
}

void AddLandmarksWindow::reject() {
  if (!run_.MayClose()) return;
  QDialog::reject();
}

}  // namespace melo
