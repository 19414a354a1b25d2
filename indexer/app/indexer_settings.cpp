#include "indexer/app/indexer_settings.h"

#include "base/file_utils.h"
#include "base/path_utils.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace melo {

bool ReadIndexerSettings(const QString& iniPath, int32_t processors, IndexerSettings& settings) {
  if (!QFileInfo::exists(iniPath)) return true;
  QSettings ini(iniPath, QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) return false;
  settings.ffmpeg = ini.value(QStringLiteral("Utils/FFMPEG"), settings.ffmpeg).toString();
  settings.sox = ini.value(QStringLiteral("Utils/SOX"), settings.sox).toString();
  settings.workDir = ini.value(QStringLiteral("Dirs/WorkDir"), settings.workDir).toString();
  settings.dbPath = ini.value(QStringLiteral("DataBase/DBPath"), settings.dbPath).toString();
  settings.threads = ini.value(QStringLiteral("Indexing/Threads"), settings.threads).toInt();
  settings.copyToWorkDir = ini.value(QStringLiteral("Indexing/CopyToWorkDir"), settings.copyToWorkDir).toBool();
  settings.threads = std::clamp(settings.threads, int32_t{1}, std::max(processors, int32_t{1}));
  return true;
}

bool WriteIndexerSettings(const QString& iniPath, const IndexerSettings& settings) {
  QSettings ini(iniPath, QSettings::IniFormat);
  ini.setValue(QStringLiteral("Utils/FFMPEG"), settings.ffmpeg);
  ini.setValue(QStringLiteral("Utils/SOX"), settings.sox);
  ini.setValue(QStringLiteral("Dirs/WorkDir"), settings.workDir);
  ini.setValue(QStringLiteral("DataBase/DBPath"), settings.dbPath);
  ini.setValue(QStringLiteral("Indexing/Threads"), settings.threads);
  ini.setValue(QStringLiteral("Indexing/CopyToWorkDir"), settings.copyToWorkDir ? 1 : 0);
  ini.sync();
  return ini.status() == QSettings::NoError;
}

void FillToolPathsFromSearchPath(IndexerSettings& settings) {
  if (settings.ffmpeg.isEmpty()) settings.ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  if (settings.sox.isEmpty()) settings.sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
}

}  // namespace melo
