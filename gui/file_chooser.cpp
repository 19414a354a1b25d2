#include "gui/file_chooser.h"

#include "base/dialogs.h"
#include "base/file_utils.h"

#include <QFileDialog>

namespace melo {

QString DialogFileChooser::OpenFile(QWidget* parent, const QString& title, const QString& dir,
                                    const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

QString DialogFileChooser::SaveFile(QWidget* parent, const QString& title, const QString& dir,
                                    const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, dir, filter);
}

QString DialogFileChooser::Folder(QWidget* parent, const QString& title, const QString& dir) {
  return QFileDialog::getExistingDirectory(parent, title, dir);
}

bool SaveLinesToChosenFile(FileChooser& chooser, Dialogs& dialogs, QWidget* parent, const QStringList& lines) {
  const QString path =
      chooser.SaveFile(parent, QStringLiteral("Сохранить"), QString(), QStringLiteral("Текстовые файлы (*.txt)"));
  if (path.isEmpty()) return false;
  if (SaveTextLines(path, lines)) return true;
  dialogs.ShowMessage(QStringLiteral("Ошибка записи файла! ") + path);
  return false;
}

}  // namespace melo
