#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace melo {

class Dialogs;

// The file and folder dialogs of the windows, behind one small interface so that
// a test can answer them. Each returns the chosen path, or empty when cancelled.
// Filters are Qt's: "Файлы баз данных (*.db)", several joined by ";;".
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual QString OpenFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter) = 0;
  virtual QString SaveFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter) = 0;
  virtual QString Folder(QWidget* parent, const QString& title, const QString& dir) = 0;
};

// Qt's own file dialogs.
class DialogFileChooser : public FileChooser {
 public:
  QString OpenFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter) override;
  QString SaveFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter) override;
  QString Folder(QWidget* parent, const QString& title, const QString& dir) override;
};

// Asks for a text file name and writes the lines there as UTF-8. False when the
// dialog was cancelled or the file could not be written ("Ошибка записи файла! "
// and its name is said then).
bool SaveLinesToChosenFile(FileChooser& chooser, Dialogs& dialogs, QWidget* parent, const QStringList& lines);

}  // namespace melo
