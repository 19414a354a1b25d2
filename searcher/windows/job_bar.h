#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace melo {
class BackgroundJob;
}

namespace melo::melodar {

// A debug window's line for its background job: what the job is doing, how far it
// has got, and "Стоп". Hidden while no job runs.
class JobBar : public QWidget {
  Q_OBJECT

 public:
  explicit JobBar(BackgroundJob& job, QWidget* parent = nullptr);

  // Call after the job was started: the bar follows it until it is handed over.
  void Follow();

 private:
  void Update();

  BackgroundJob& job_;
  QLabel* stage_;
  QProgressBar* bar_;
  QPushButton* stop_;
  QTimer timer_;
};

}  // namespace melo::melodar
