#include "searcher/app/searcher_settings.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/path_utils.h"

#include <QFileInfo>
#include <QSettings>

namespace melo {

namespace {

const QString kDatabaseKey = QStringLiteral("DataBase/DBPath");
const QString kQueryDirKey = QStringLiteral("QuerySave/DirName");

}  // namespace

SearcherSettings SearcherSettings::For(const ProgramPaths& paths) {
  SearcherSettings s;
  s.paths = paths;
  s.playbackFile = JoinPath(paths.dataDir, QStringLiteral("audioquery.wav"));
  s.queryDir = JoinPath(paths.dataDir, QStringLiteral("queries"));
  EnsureDirectory(s.queryDir);
  s.debugMode = QFileInfo::exists(JoinPath(paths.programDir, QStringLiteral("debug.dat")));
  return s;
}

bool SearcherSettings::ReadINIFile(Dialogs& dialogs) {
  if (!QFileInfo::exists(paths.settingsFile)) return true;
  const QSettings ini(paths.settingsFile, QSettings::IniFormat);
  if (ini.status() != QSettings::NoError || !QFileInfo(paths.settingsFile).isReadable()) {
    dialogs.ShowMessage(QStringLiteral("Ошибка чтения INI файла!"));
    return false;
  }
  databasePath = ini.value(kDatabaseKey, QString()).toString();
  queryDir = ini.value(kQueryDirKey, queryDir).toString();
  return true;
}

bool SearcherSettings::WriteINIFile(Dialogs& dialogs) const {
  QSettings ini(paths.settingsFile, QSettings::IniFormat);
  ini.setValue(kDatabaseKey, databasePath);
  ini.setValue(kQueryDirKey, queryDir);
  ini.sync();
  if (ini.status() != QSettings::NoError) {
    dialogs.ShowMessage(QStringLiteral("Ошибка записи INI файла! ") + paths.settingsFile);
    return false;
  }
  return true;
}

QString SearcherSettings::DatabaseFolder() const { return JoinPath(paths.programDir, QStringLiteral("database")); }

bool SearcherSettings::DatabaseExists() const { return !databasePath.isEmpty() && QFileInfo(databasePath).isFile(); }

QString SearcherSettings::IndexerDatabase() const {
  // Both programs keep their settings by the same rule, in one folder.
  const QString indexerIni = JoinPath(paths.dataDir, QStringLiteral("Melobank.ini"));
  if (!QFileInfo::exists(indexerIni)) return {};
  const QString path = QSettings(indexerIni, QSettings::IniFormat).value(kDatabaseKey).toString();
  return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

QString SearcherSettings::OfferedDatabase() const { return DatabaseExists() ? databasePath : IndexerDatabase(); }

}  // namespace melo
