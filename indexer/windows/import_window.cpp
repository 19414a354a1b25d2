#include "indexer/windows/import_window.h"

#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace melo {

namespace {

constexpr int kHelpPanel = 9;

}  // namespace

TForm8::TForm8(TDataModule1& store, TDataModule2& source, Dialogs& dialogs, FileChooser& files, QWidget* parent)
    : QDialog(parent), run_(store, source, dialogs), files_(files), path_(new QLineEdit),
      keep_(new QRadioButton(QStringLiteral("Оставлять старые записи, игнорировать новые"))),
      replace_(new QRadioButton(QStringLiteral("Удалять старые записи, добавлять новые"))),
      messages_(new QListWidget), progress_(new QProgressBar),
      start_(new QPushButton(QStringLiteral("Начать импорт"))), stop_(new QPushButton(QStringLiteral("Стоп"))),
      exit_(new QPushButton(QStringLiteral("Выход"))), timer1_(new QTimer(this)), timer2_(new QTimer(this)),
      help_(new HelpVideoPanel(kHelpPanel)) {
  setWindowTitle(QStringLiteral("Импорт базы данных"));
  help_->LoadPicture();
  help_->setVisible(help_->HasContent());

  auto* choose = new QPushButton(QStringLiteral("Выбрать"));
  auto* file = new QHBoxLayout;
  file->addWidget(new QLabel(QStringLiteral("База данных")));
  file->addWidget(path_, 1);
  file->addWidget(choose);
  auto* conflicts = new QGroupBox(QStringLiteral("Конфликтные записи с одинаковым хэшем"));
  auto* conflictsLayout = new QVBoxLayout(conflicts);
  conflictsLayout->addWidget(keep_);
  conflictsLayout->addWidget(replace_);
  auto* options = new QVBoxLayout;
  options->addLayout(file);
  options->addWidget(conflicts);
  options->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(options, 1);
  top->addWidget(help_, 0, Qt::AlignTop);

  messages_->setUniformItemSizes(true);
  auto* messagesGroup = new QGroupBox(QStringLiteral("Сообщения об ошибках"));
  auto* messagesLayout = new QVBoxLayout(messagesGroup);
  messagesLayout->addWidget(messages_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addWidget(exit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(messagesGroup, 1);
  layout->addWidget(progress_);
  layout->addLayout(buttons);
  resize(900, 560);

  connect(choose, &QPushButton::clicked, this, &TForm8::ChooseClick);
  connect(start_, &QPushButton::clicked, this, &TForm8::StartClick);
  connect(stop_, &QPushButton::clicked, this, &TForm8::StopClick);
  connect(exit_, &QPushButton::clicked, this, &TForm8::close);
  timer1_->setInterval(500);
  connect(timer1_, &QTimer::timeout, this, &TForm8::Timer1Timer);
  timer1_->start();
  timer2_->setInterval(100);
  timer2_->setSingleShot(true);
  connect(timer2_, &QTimer::timeout, this, &TForm8::Timer2Timer);
  run_.onLinesChanged = [this] { SyncMessages(); };
  run_.onSummary = [this] { timer2_->start(); };
}

ImportDatabase::Policy TForm8::Policy() const {
  return replace_->isChecked() ? ImportDatabase::Policy::Replace : ImportDatabase::Policy::KeepOld;
}

void TForm8::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (run_.Active()) return;
  run_.Reset();
  messages_->clear();
  path_->clear();
  keep_->setChecked(true);
  ShowIdle();
}

void TForm8::ChooseClick() {
  const QString path = files_.OpenFile({QStringLiteral("Импорт базы данных"), {}, QStringLiteral("База данных (*.db)")});
  if (!path.isEmpty()) path_->setText(path);
}

void TForm8::StartClick() {
  if (!run_.Start(path_->text(), Policy())) return;
  start_->hide();
  exit_->hide();
  stop_->show();
  progress_->setValue(0);
  progress_->show();
}

void TForm8::StopClick() { run_.Stop(); }

void TForm8::Timer1Timer() {
  if (run_.Active()) progress_->setValue(run_.Progress());
}

void TForm8::Timer2Timer() {
  timer2_->stop();
  run_.Release();
  ShowIdle();
}

void TForm8::ShowIdle() {
  start_->show();
  exit_->show();
  stop_->hide();
  progress_->hide();
}

// The run's list only grows during an import and starts empty with a new one.
void TForm8::SyncMessages() {
  const QStringList& lines = run_.Lines();
  if (messages_->count() > lines.size()) messages_->clear();
  for (qsizetype i = messages_->count(); i < lines.size(); ++i) messages_->addItem(lines[i]);
  messages_->scrollToBottom();
}

void TForm8::reject() {
  if (run_.Active()) return;
  help_->Close();
  QDialog::reject();
}

}  // namespace melo
