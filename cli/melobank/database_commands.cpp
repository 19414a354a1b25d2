#include "cli/melobank/database_commands.h"

#include "base/dialogs.h"
#include "base/text_format.h"
#include "cli/common/subcommands.h"
#include "indexer/app/record_fields.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/record_store.h"
#include "trackdb/landmark_row.h"
#include "trackdb/schema.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <QCommandLineParser>
#include <QFileInfo>
#include <functional>

namespace melo::cli {

namespace {

// Parses "DB [extra positional arguments]"; on success leaves the database path
// and the remaining positional arguments.
bool ParseDatabaseArguments(const QStringList& arguments, const QString& description,
                            const QStringList& extraNames, QString* database,
                            QStringList* extra, int* exitCode) {
  QCommandLineParser parser;
  parser.setApplicationDescription(description);
  parser.addPositionalArgument(QStringLiteral("DB"), QStringLiteral("The database file (.db)."));
  for (const QString& name : extraNames) parser.addPositionalArgument(name, name);
  if (!ParseCommandLine(parser, arguments, exitCode)) return false;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1 + extraNames.size()) {
    *exitCode = Fail(QStringLiteral("expected %1").arg((QStringList{"DB"} + extraNames).join(' ')));
    return false;
  }
  *database = positional[0];
  *extra = positional.mid(1);
  return true;
}

// Parses "DB [extra arguments]", opens the existing database and runs `body` on it.
int WithExistingDatabase(const QStringList& arguments, const QString& description, const QStringList& extraNames,
                         const std::function<int(TDataModule1&, const QString&, const QStringList&)>& body) {
  QString path;
  QStringList extra;
  int exitCode = kExitOk;
  if (!ParseDatabaseArguments(arguments, description, extraNames, &path, &extra, &exitCode)) return exitCode;
  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!OpenExistingDatabase(store, path)) return kExitFailure;
  return body(store, path, extra);
}

}  // namespace

bool OpenExistingDatabase(TDataModule1& store, const QString& path) {
  if (!QFileInfo(path).isFile()) {
    Fail(QStringLiteral("%1: no such database file").arg(path));
    return false;
  }
  if (!store.OpenDatabase(path)) {
    Fail(QStringLiteral("%1: cannot open the database").arg(path));
    return false;
  }
  return true;
}

int RunCreateCommand(const QStringList& arguments) {
  QString path;
  QStringList extra;
  int exitCode = kExitOk;
  if (!ParseDatabaseArguments(arguments, QStringLiteral("Creates a database file with its table."), {},
                              &path, &extra, &exitCode)) {
    return exitCode;
  }
  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!store.OpenDatabase(path)) return Fail(QStringLiteral("%1: cannot open the database").arg(path));
  if (store.QueryScalar(sql::kHasDataTable) > 0) {
    return Fail(QStringLiteral("%1 already holds the table Data").arg(path));
  }
  if (!store.CreateTable()) return Fail(QStringLiteral("%1: cannot create the table").arg(path));
  return kExitOk;
}

int RunListCommand(const QStringList& arguments) {
  return WithExistingDatabase(arguments, QStringLiteral("Lists the rows as id<TAB>name, by name."), {},
                              [](TDataModule1& store, const QString& path, const QStringList&) {
                                QStringList names, ids;
                                if (!store.ListRecords(names, ids)) {
                                  return Fail(QStringLiteral("%1: cannot list the rows").arg(path));
                                }
                                QString out;
                                for (qsizetype i = 0; i < ids.size(); ++i) {
                                  out += ids[i] + '\t' + EscapeControls(names[i]) + '\n';
                                }
                                Print(out);
                                return kExitOk;
                              });
}

int RunShowCommand(const QStringList& arguments) {
  return WithExistingDatabase(
      arguments, QStringLiteral("Shows the fields of one row."), {"ID"},
      [](TDataModule1& store, const QString& path, const QStringList& extra) {
        bool isNumber = false;
        const int32_t id = extra[0].toInt(&isNumber);
        if (!isNumber) return Fail(QStringLiteral("ID must be a number, not '%1'").arg(extra[0]));
        TrackInfo info;
        info.id = -1;
        std::vector<uint8_t> records;
        if (!store.GetRecord(id, info, records)) return Fail(QStringLiteral("%1: cannot read row %2").arg(path, QString::number(id)));
        if (info.id == -1) return Fail(QStringLiteral("%1: no row with id %2").arg(path, QString::number(id)));
        RowLandmarks landmarks;
        if (!ReadRowLandmarks(store.Connection()->getHandle(), id, landmarks)) {
          return Fail(QStringLiteral("%1: cannot read the landmarks of row %2").arg(path, QString::number(id)));
        }
        QString out;
        for (const auto& [name, value] : RecordFieldRows(info, &landmarks)) out += name + EscapeControls(value) + '\n';
        // The tag text is one "Name: value" line each, CR LF ended.
        QStringList tags = info.info.split(QStringLiteral("\r\n"));
        if (tags.size() > 1 && tags.last().isEmpty()) tags.removeLast();
        for (QString& tag : tags) tag = EscapeControls(tag);
        out += QStringLiteral("Дополнительная информация=") + tags.join('\n') + '\n';
        Print(out);
        return kExitOk;
      });
}

int RunVacuumCommand(const QStringList& arguments) {
  return WithExistingDatabase(arguments, QStringLiteral("Compacts the database file."), {},
                              [](TDataModule1& store, const QString& path, const QStringList&) {
                                return store.Vacuum() ? kExitOk : Fail(QStringLiteral("%1: compacting failed").arg(path));
                              });
}

bool TakeForRewriting(DatabaseFileLock& lock, const QString& path) {
  if (lock.Take(path, DatabaseFileLock::Use::Rewriting)) return true;
  Fail(QStringLiteral("%1: an indexing run is storing into this database; try again when it has ended").arg(path));
  return false;
}

int RunClearCommand(const QStringList& arguments) {
  return WithExistingDatabase(arguments,
                              QStringLiteral("Deletes every row and compacts the file. Refused while an indexing "
                                             "run stores into the database."),
                              {}, [](TDataModule1& store, const QString& path, const QStringList&) {
                                DatabaseFileLock lock;
                                if (!TakeForRewriting(lock, path)) return kExitFailure;
                                if (!store.ClearTable()) return Fail(QStringLiteral("%1: clearing failed").arg(path));
                                store.Vacuum();
                                store.Commit();
                                return kExitOk;
                              });
}

}  // namespace melo::cli
