#pragma once

#include "gui/file_chooser.h"

#include <QStringList>

namespace melo::testing {

// Answers the file dialogs with the paths queued in `answers` (empty = cancelled
// once they run out) and remembers the titles it was shown.
class RecordingFileChooser : public FileChooser {
 public:
  QString OpenFile(QWidget*, const QString& title, const QString&, const QString&) override { return Answer(title); }
  QString SaveFile(QWidget*, const QString& title, const QString&, const QString&) override { return Answer(title); }
  QString Folder(QWidget*, const QString& title, const QString&) override { return Answer(title); }

  QStringList answers;
  QStringList titles;

 private:
  QString Answer(const QString& title) {
    titles.append(title);
    return answers.isEmpty() ? QString() : answers.takeFirst();
  }
};

}  // namespace melo::testing
