#include "gui/file_chooser.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "gui/russian_file_columns.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QTreeView>

namespace melo {

FileChooser::Request FileChooser::InFolder(const QString& title, const QString& folder, const QString& filter) {
  if (!QFileInfo(folder).isDir()) return {{}, {}, filter};
  return {title, folder, filter};
}

namespace {

QStringList Run(QWidget* parent, const FileChooser::Request& request, QFileDialog::FileMode mode,
                QFileDialog::AcceptMode accept, const QString& acceptText = {}) {
  QFileDialog dialog(parent, request.title, request.startDir, request.filter);
  // Qt's own dialog, whose texts the program's Russian translations and locale
  // reach (a desktop's dialog speaks the desktop's language, often English).
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new RussianFileColumns(&dialog));
  // Room for the Russian words and a whole date and time in every column, which
  // the dialog's own size cuts to "Ком..." and "08.12.2...6 02:57".
  dialog.resize(860, 520);
  if (auto* places = dialog.findChild<QSplitter*>()) places->setSizes({150, 710});
  if (auto* details = dialog.findChild<QTreeView*>()) {
    const QString sample = QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat);
    details->header()->resizeSection(RussianFileColumns::kModified,
                                     details->fontMetrics().horizontalAdvance(sample) + 3 * details->indentation());
  }
  dialog.setFileMode(mode);
  dialog.setAcceptMode(accept);
  if (mode == QFileDialog::Directory) dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!acceptText.isEmpty()) dialog.setLabelText(QFileDialog::Accept, acceptText);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString First(const QStringList& files) { return files.isEmpty() ? QString() : files.first(); }

}  // namespace

QStringList DialogFileChooser::OpenFiles(const Request& request) {
  return Run(parent_, request, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

QString DialogFileChooser::OpenFile(const Request& request) {
  return First(Run(parent_, request, QFileDialog::ExistingFile, QFileDialog::AcceptOpen));
}

QString DialogFileChooser::SaveFile(const Request& request) {
  return First(Run(parent_, request, QFileDialog::AnyFile, QFileDialog::AcceptSave));
}

QString DialogFileChooser::Directory(const Request& request, const QString& acceptText) {
  return First(Run(parent_, request, QFileDialog::Directory, QFileDialog::AcceptOpen, acceptText));
}

QString ScriptedFileChooser::Next(const Request& request) {
  requests.append(request);
  return answers.isEmpty() ? QString() : answers.takeFirst();
}

QStringList ScriptedFileChooser::OpenFiles(const Request& request) {
  const QString answer = Next(request);
  return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
}

bool SaveLinesToChosenFile(FileChooser& chooser, Dialogs& dialogs, const QStringList& lines) {
  const QString path =
      chooser.SaveFile({QStringLiteral("Сохранить"), QString(), QStringLiteral("Текстовые файлы (*.txt)")});
  if (path.isEmpty()) return false;
  if (SaveTextLines(path, lines)) return true;
  dialogs.ShowMessage(QStringLiteral("Ошибка записи файла! ") + path);
  return false;
}

}  // namespace melo
