#pragma once

#include <QString>

class QLabel;
class QLayout;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace melo {

// The parts every window that runs a job over the database shares (the check, the
// adding of landmarks): what the job found as a titled list, its progress, and a
// row of its status and Start, Stop and Close buttons, of which Stop alone shows
// while the job runs.
struct RunWindowParts {
  QListWidget* list;
  QProgressBar* progress;
  QLabel* status;
  QPushButton* start;
  QPushButton* stop;
  QPushButton* close;
};

// Lays the parts out on `window` under `top`: the list (titled `listTitle`) takes
// the height left, then the progress bar and the button row.
void LayOutRunWindow(QWidget* window, QLayout* top, const QString& listTitle, const RunWindowParts& parts);

// The buttons of a job that runs or not.
void ShowRunButtons(const RunWindowParts& parts, bool running);

}  // namespace melo
