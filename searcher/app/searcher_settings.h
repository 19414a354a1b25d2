#pragma once

#include "base/program_paths.h"

#include <QString>

namespace melo {

class Dialogs;

// Where the searcher keeps its files and what it remembers between runs:
// Melodar.ini holds the database ([DataBase] DBPath) and the folder saved queries
// go to ([QuerySave] DirName).
struct SearcherSettings {
  ProgramPaths paths;
  QString playbackFile;  // the query written for "Прослушать": <data>/audioquery.wav
  QString queryDir;      // <data>/queries unless the INI says otherwise
  QString databasePath;  // empty: no database chosen yet
  bool debugMode = false;  // debug.dat lies beside the program

  // The settings' defaults for a program whose files are `paths`; creates the
  // default query folder.
  static SearcherSettings For(const ProgramPaths& paths);

  // Read when the INI file exists; a file that cannot be read keeps the current
  // values and says "Ошибка чтения INI файла!".
  bool ReadINIFile(Dialogs& dialogs);
  // A failure says "Ошибка записи INI файла! " and the file's path.
  bool WriteINIFile(Dialogs& dialogs) const;

  // Where the database dialog starts: the "database" folder beside the program.
  QString DatabaseFolder() const;
  bool DatabaseExists() const;
  // The database Melobank indexes into (DBPath of Melobank.ini, which lies in
  // the same folder as ours), when that file exists; else empty.
  QString IndexerDatabase() const;
  // What the database dialog offers: the database chosen before, else Melobank's.
  QString OfferedDatabase() const;
};

}  // namespace melo
