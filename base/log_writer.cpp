#include "base/log_writer.h"

#include "base/path_utils.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>

namespace melo {

namespace {

QMutex myLogPathMutex;
QString myLogPathOverride;

}  // namespace

QString LogTimeStamp() {
  return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss "));
}

bool WriteLogLine(const QString& path, const QString& text, bool append) {
  QFile file(path);
  const QIODevice::OpenMode mode =
      QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
  if (!file.open(mode)) return false;
  file.write((LogTimeStamp() + text + QLatin1Char('\n')).toUtf8());
  return true;
}

void WriteMyLog(const QString& text) { WriteLogLine(MyLogPath(), text, true); }

QString MyLogPath() {
  {
    QMutexLocker lock(&myLogPathMutex);
    if (!myLogPathOverride.isEmpty()) return myLogPathOverride;
  }
  return JoinPath(QCoreApplication::applicationDirPath(), QStringLiteral("my.log"));
}

void SetMyLogPath(const QString& path) {
  QMutexLocker lock(&myLogPathMutex);
  myLogPathOverride = path;
}

}  // namespace melo
