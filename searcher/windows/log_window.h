#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace melo {
struct SearchReport;
}

namespace melo::melodar {

// "Log": what the matcher says about each search, on three pages: the scan
// counters with the coarse matches near the debug frame, the candidates there
// frame by frame, and (while shown) the tracking memory.
class LogWindow : public QWidget {
  Q_OBJECT

 public:
  explicit LogWindow(QWidget* parent = nullptr);

  void ShowReport(const SearchReport& report);
  QPlainTextEdit* Page(int page) const { return pages_[page]; }

 private:
  QPlainTextEdit* pages_[3];
};

}  // namespace melo::melodar
