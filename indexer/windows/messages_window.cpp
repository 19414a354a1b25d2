#include "indexer/windows/messages_window.h"

#include "gui/help_video_panel.h"
#include "indexer/app/indexing_messages.h"
#include "indexer/pipeline/process_media_file.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace melo {

namespace {
const std::array<QString, 3> kPageTitles = {QStringLiteral("Успешно обработаны"),
                                            QStringLiteral("Сообщения об ошибках"),
                                            QStringLiteral("Проиндексированы ранее")};
}  // namespace

TForm3::TForm3(IndexingMessages& messages, std::function<bool()> running, QWidget* parent)
    : QMainWindow(parent), messages_(messages), running_(std::move(running)), pages_(new QTabWidget(this)),
      videoPanel_(new HelpVideoPanel(5, this)) {
  setWindowFlag(Qt::Window);
  // Shown by a start from the main window, which keeps the keyboard: F6 there stops.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("Вывод сообщений"));
  resize(1000, 560);

  QMenu* menu = menuBar()->addMenu(QStringLiteral("Сообщения"));
  menu->addAction(QStringLiteral("Очистить"), this, &TForm3::ClearMessages);

  for (size_t i = 0; i < lists_.size(); ++i) {
    lists_[i] = new QPlainTextEdit(pages_);
    lists_[i]->setReadOnly(true);
    lists_[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
    pages_->addTab(lists_[i], kPageTitles[i]);
  }

  auto* side = new QVBoxLayout;
  videoPanel_->setFixedSize(240, 150);
  side->addWidget(videoPanel_);
  auto* advice = new QLabel(
      QStringLiteral("Если аудио файлы индексируются медленно, увеличьте количество потоков в настройках.\n\n"
                     "Если не удаётся скопировать видео файлы, уменьшите количество потоков или отключите "
                     "«Копировать файлы в рабочий каталог»."),
      this);
  advice->setWordWrap(true);
  advice->setFixedWidth(240);
  side->addWidget(advice);
  side->addStretch(1);

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->addWidget(pages_, 1);
  layout->addLayout(side);
  setCentralWidget(central);

  for (QLabel*& panel : status_) {
    panel = new QLabel(this);
    statusBar()->addWidget(panel, 1);
  }
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &TForm3::Tick);
}

void TForm3::StartWatching() {
  show();
  Tick();
  timer_.start();
}

const QStringList& TForm3::Lines(size_t page) const {
  return page == 0 ? messages_.succeeded : page == 1 ? messages_.errors : messages_.indexedBefore;
}

void TForm3::ShowNewLines() {
  for (size_t i = 0; i < lists_.size(); ++i) {
    const QStringList& all = Lines(i);
    if (all.size() < shownLines_[i]) {  // cleared since the last tick
      lists_[i]->clear();
      shownLines_[i] = 0;
    }
    if (all.size() == shownLines_[i]) continue;
    lists_[i]->appendPlainText(all.mid(shownLines_[i]).join(QLatin1Char('\n')));
    shownLines_[i] = all.size();
  }
}

void TForm3::Tick() {
  if (!running_()) timer_.stop();  // this tick still shows the final figures
  ShowNewLines();
  for (size_t i = 0; i < lists_.size(); ++i) {
    pages_->setTabText(static_cast<int>(i), kPageTitles[i] + QStringLiteral(": ") + QString::number(Lines(i).size()));
  }
  if (!messages_.runStart.isValid()) return;
  const QStringList texts = messages_.StatusTexts(QDateTime::currentDateTime(), IndexedRecordsTotal());
  for (size_t i = 0; i < status_.size(); ++i) status_[i]->setText(texts.value(static_cast<qsizetype>(i)));
}

void TForm3::ClearMessages() {
  messages_.Clear();
  Tick();
}

void TForm3::ShowErrors() {
  Tick();
  pages_->setCurrentIndex(1);
}

QString TForm3::PageCaption(int page) const { return pages_->tabText(page); }
int TForm3::CurrentPage() const { return pages_->currentIndex(); }
QString TForm3::PageText(int page) const { return lists_.at(static_cast<size_t>(page))->toPlainText(); }
QString TForm3::StatusText(int panel) const { return status_.at(static_cast<size_t>(panel))->text(); }

void TForm3::closeEvent(QCloseEvent* event) {
  videoPanel_->Close();
  QMainWindow::closeEvent(event);
}

}  // namespace melo
