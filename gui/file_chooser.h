#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace melo {

// The file and folder dialogs a window offers, behind one small interface, so a
// test can answer them without a modal loop. Every call gives what the user chose,
// or an empty result when the dialog was cancelled.
class Dialogs;

class FileChooser {
 public:
  struct Request {
    QString title;     // empty: the dialog's own title
    QString startDir;  // a folder, or a file offered (chosen in its folder); empty: wherever the dialog starts
    QString filter;    // Qt's form, "База данных (*.db)"; empty for folders
  };

  virtual ~FileChooser() = default;
  virtual QStringList OpenFiles(const Request& request) = 0;  // several, in the dialog's order
  virtual QString OpenFile(const Request& request) = 0;
  virtual QString SaveFile(const Request& request) = 0;
  // A folder; `acceptText` names the dialog's button ("Выбрать каталог").
  virtual QString Directory(const Request& request, const QString& acceptText = {}) = 0;

  // A start folder or a title is given to a dialog only when the folder exists.
  static Request InFolder(const QString& title, const QString& folder, const QString& filter = {});
};

// Qt's own file dialogs, in Russian (see RussianFileColumns), on top of `parent`.
class DialogFileChooser : public FileChooser {
 public:
  explicit DialogFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  QStringList OpenFiles(const Request& request) override;
  QString OpenFile(const Request& request) override;
  QString SaveFile(const Request& request) override;
  QString Directory(const Request& request, const QString& acceptText = {}) override;

 private:
  QWidget* parent_;
};

// Answers given beforehand, one per dialog in order (an empty answer, or none
// left, is a cancelled dialog); remembers what each dialog asked. For scripted
// walks through the windows: the screenshot tours, the window tests.
class ScriptedFileChooser : public FileChooser {
 public:
  QStringList answers;
  QList<Request> requests;

  // One answer holds the several files, separated by '\n'.
  QStringList OpenFiles(const Request& request) override;
  QString OpenFile(const Request& request) override { return Next(request); }
  QString SaveFile(const Request& request) override { return Next(request); }
  QString Directory(const Request& request, const QString&) override { return Next(request); }

 private:
  QString Next(const Request& request);
};

// Asks for a text file name and writes the lines there as UTF-8. False when the
// dialog was cancelled or the file could not be written ("Ошибка записи файла! "
// and its name is said then).
bool SaveLinesToChosenFile(FileChooser& chooser, Dialogs& dialogs, const QStringList& lines);

}  // namespace melo
