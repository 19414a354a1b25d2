#include "gui/desktop_actions.h"

#include "base/path_utils.h"

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
