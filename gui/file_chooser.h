#pragma once

#include <QFileDialog>
#include <QString>

namespace melo {

// How a window asks the user for a file. The programs show Qt's file dialog;
// tests hand over a path without a modal loop.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen file, or empty when the user cancelled. `filter` in Qt's form,
  // e.g. "База данных (*.db)".
  virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) = 0;
};

class DialogFileChooser : public FileChooser {
 public:
  QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
  }
};

}  // namespace melo
