#pragma once

#include <QStringList>
#include <QWidget>

class QGroupBox;
class QPlainTextEdit;

namespace melo {
class Dialogs;
class FileChooser;
}  // namespace melo

namespace melo::melodar {

// "Ошибки в базе данных": the rows the database load could not read, one line
// each, with their count in the group's caption, to copy or save.
class TForm3 : public QWidget {
  Q_OBJECT

 public:
  TForm3(Dialogs& dialogs, FileChooser& chooser, QWidget* parent = nullptr);

  void AppendLine(const QString& line);
  QString GroupCaption() const;

 private:
  void Copy();

  Dialogs& dialogs_;
  FileChooser& chooser_;
  QStringList lines_;
  QGroupBox* group_;
  QPlainTextEdit* text_;
};

}  // namespace melo::melodar
