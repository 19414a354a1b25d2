#pragma once

#include <QDialog>

namespace melo {

// "О программе": the program's name, version and what it is for, with its icon
// (<content>/<program name in lower case>.png) when the content folder has it.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  AboutBox(const QString& programName, const QString& description, QWidget* parent = nullptr);
};

}  // namespace melo
