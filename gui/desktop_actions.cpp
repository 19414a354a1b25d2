#include "gui/desktop_actions.h"

#include "base/dialogs.h"
#include "base/path_utils.h"
#include "gui/content_files.h"
#include "gui/help_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace melo {

bool OpenWithDesktop(const QString& addressOrPath) {
  const QUrl url = addressOrPath.contains(QLatin1String("://"))
                       ? QUrl(addressOrPath)
                       : QUrl::fromLocalFile(QFileInfo(addressOrPath).absoluteFilePath());
  return QDesktopServices::openUrl(url);
}

bool ShowHelpPage(const QString& page, const QString& section, Dialogs& dialogs, QWidget* owner) {
  const QString path = ContentFile(page);
  if (!QFileInfo(path).isFile()) {
    dialogs.ShowMessage(QStringLiteral("Не найден файл: ") + path);
    return false;
  }
  HelpWindow::ShowPage(path, section, owner);
  return true;
}

bool StartProgramBeside(const QString& programName, const QStringList& arguments) {
  const QString program = JoinPath(QCoreApplication::applicationDirPath(), programName);
  return QProcess::startDetached(program, arguments, QCoreApplication::applicationDirPath());
}

bool RestartProgram() {
  QStringList arguments = QCoreApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments)) return false;
  QCoreApplication::quit();
  return true;
}

}  // namespace melo
