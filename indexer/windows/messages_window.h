#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace melo {

class HelpVideoPanel;
class IndexingMessages;

// "Вывод сообщений": the lines of an indexing run on three pages with counted
// captions, and the run's throughput in the status bar. The main window clears
// and shows it when a run starts; its one-second timer then runs until a tick
// finds the run over, so the last figures stay.
class TForm3 : public QMainWindow {
  Q_OBJECT

 public:
  // `running` tells whether an indexing run is still going.
  TForm3(IndexingMessages& messages, std::function<bool()> running, QWidget* parent = nullptr);

  // Shows the window and starts its timer (a run has just started).
  void StartWatching();
  // The timer's body: the pages' new lines, their captions and the status bar.
  void Tick();
  // "Сообщения" → "Очистить".
  void ClearMessages();
  // A run ended with failed files: their page, with its count, comes to the front.
  void ShowErrors();

  QString PageCaption(int page) const;
  int CurrentPage() const;
  QString PageText(int page) const;
  QString StatusText(int panel) const;
  bool Watching() const { return timer_.isActive(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  const QStringList& Lines(size_t page) const;
  void ShowNewLines();

  IndexingMessages& messages_;
  std::function<bool()> running_;
  QTimer timer_;
  QTabWidget* pages_;
  std::array<QPlainTextEdit*, 3> lists_{};
  std::array<qsizetype, 3> shownLines_{};
  std::array<QLabel*, 4> status_{};
  HelpVideoPanel* videoPanel_;
};

}  // namespace melo
