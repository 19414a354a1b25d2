#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

class QLabel;
class QSpinBox;

namespace melo {
class SearcherSession;
class TextTableModel;
struct SearchReport;
}  // namespace melo

namespace melo::melodar {

// "Профилирование": how long each search took in all and in each worker thread,
// and, on demand, how long the last query's scans of one track take: the full
// scan, and the tracking scan the next search makes after a hit at a chosen
// second.
class ProfilingWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ProfilingWindow(SearcherSession& session, QWidget* parent = nullptr);

  void ShowReport(const SearchReport& report);
  // Times the scans of the chosen track and second; the text it shows.
  QString Measure();
  QSpinBox* TrackField() const { return track_; }
  QSpinBox* SecondField() const { return second_; }

 private:
  SearcherSession& session_;
  std::vector<int16_t> samples_;  // the last query
  TextTableModel* timings_;
  QSpinBox* track_;
  QSpinBox* second_;
  QLabel* result_;
};

}  // namespace melo::melodar
