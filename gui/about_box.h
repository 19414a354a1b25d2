#pragma once

#include <QDialog>

namespace melo {

// "О программе": the program's name, version and what it is for, with the
// picture of its main window when the content folder has one.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  AboutBox(const QString& programName, const QString& description, int pictureNumber,
           QWidget* parent = nullptr);
};

}  // namespace melo
