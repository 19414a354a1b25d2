#include "cli/melobank/check_import_commands.h"

#include "base/console.h"
#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/text_format.h"
#include "cli/common/subcommands.h"
#include "cli/melobank/database_commands.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/import_source.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/check_database.h"
#include "indexer/pipeline/import_database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace melo::cli {

namespace {

// --name / --no-name switches with a default.
struct Switch {
  QCommandLineOption on, off;
  bool fallback;
  Switch(const QString& name, const QString& what, bool byDefault)
      : on(name, what + (byDefault ? QStringLiteral(" (default)") : QString())),
        off(QStringLiteral("no-") + name, QStringLiteral("Do not: ") + what.toLower()),
        fallback(byDefault) {}
  bool Value(const QCommandLineParser& p) const { return p.isSet(on) ? true : p.isSet(off) ? false : fallback; }
};

}  // namespace

int RunCheckCommand(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Checks a database for rows that would mislead the searcher and prints one line per "
      "finding. Exit status 0 without findings, 1 with findings, 2 when the check failed."));
  const CheckDatabase::Options defaults;
  const Switch duplicates(QStringLiteral("duplicates"), QStringLiteral("Look for repeated tracks"), defaults.duplicates);
  const Switch empty(QStringLiteral("empty"), QStringLiteral("Look for empty fields and short fingerprints"), defaults.emptyFields);
  const Switch sources(QStringLiteral("sources"), QStringLiteral("Look for missing source files"), defaults.sourceFiles);
  const Switch values(QStringLiteral("values"), QStringLiteral("Check fingerprint values"), defaults.indexValues);
  const Switch sizes(QStringLiteral("sizes"), QStringLiteral("Check fingerprint sizes"), defaults.indexSizes);
  const Switch landmarks(QStringLiteral("landmarks"),
                         QStringLiteral("Check the landmarks: missing, of another version, damaged, without a row"),
                         defaults.landmarks);
  for (const Switch* s : {&duplicates, &empty, &sources, &values, &sizes, &landmarks}) {
    parser.addOptions({s->on, s->off});
  }
  parser.addPositionalArgument(QStringLiteral("DB"), QStringLiteral("The database."));
  int exitCode = kExitOk;
  if (!ParseCommandLine(parser, arguments, &exitCode)) return exitCode;
  if (parser.positionalArguments().size() != 1) return Fail(QStringLiteral("expected DB"));

  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!OpenExistingDatabase(store, parser.positionalArguments().first())) return kExitFailure;
  CheckDatabase check(store, {duplicates.Value(parser), empty.Value(parser), sources.Value(parser),
                              values.Value(parser), sizes.Value(parser), landmarks.Value(parser)});
  check.SetFinishPause(0);
  int findings = 0;
  bool failed = false;
  check.onReport = [&](const QString& line) {
    // "Id=N<TAB>finding": a path in the finding may hold a TAB of its own.
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    Print(line.left(tab + 1) + EscapeControls(line.mid(tab + 1)) + QLatin1Char('\n'));
    ++findings;
  };
  check.onError = [&](const QString& text) {
    WriteErrorLine(text);
    failed = true;
  };
  check.Start();
  check.WaitFor();
  Print(QStringLiteral("Количество сообщений: %1\n").arg(findings));
  return failed ? kExitFailure : findings > 0 ? kExitFindings : kExitOk;
}

int RunImportCommand(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Merges the rows of SOURCE.db into DB: new tracks are copied; for tracks already in DB "
      "the old row stays, or with --replace the source row takes its place. Ctrl+C stops after "
      "the current row and keeps what was copied. Refused while an indexing run stores into DB. "
      "Exit status 0 when every row was handled, 1 when some rows failed or the import was "
      "stopped, 2 when it could not run."));
  const QCommandLineOption replace(QStringLiteral("replace"), QStringLiteral("Replace rows of tracks already in DB."));
  parser.addOption(replace);
  parser.addPositionalArgument(QStringLiteral("DB"), QStringLiteral("The database to import into."));
  parser.addPositionalArgument(QStringLiteral("SOURCE.db"), QStringLiteral("The database to import from."));
  int exitCode = kExitOk;
  if (!ParseCommandLine(parser, arguments, &exitCode)) return exitCode;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 2) return Fail(QStringLiteral("expected DB SOURCE.db"));

  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  TDataModule2 source(dialogs);
  if (!OpenExistingDatabase(store, positional[0])) return kExitFailure;
  if (SameFile(positional[0], positional[1])) {
    return Fail(QStringLiteral("%1 and %2 are one database: it cannot be imported into itself")
                    .arg(positional[0], positional[1]));
  }
  DatabaseFileLock lock;
  if (!TakeForRewriting(lock, positional[0])) return kExitFailure;
  if (!QFileInfo(positional[1]).isFile() || !source.OpenDatabase(positional[1])) {
    return Fail(QStringLiteral("Ошибка подключения импортируемой базы данных!"));
  }
  ImportDatabase import(store, source,
                        parser.isSet(replace) ? ImportDatabase::Policy::Replace : ImportDatabase::Policy::KeepOld);
  import.onAdd = [](const QString& line) { Print(line + QLatin1Char('\n')); };
  import.onShow = [](const QString& text) { WriteErrorLine(text); };
  import.onSummary = [](const QStringList& lines) { Print(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')); };
  import.onCause = [&](const QString& cause) { WriteErrorLine(positional[0] + QStringLiteral(": ") + cause); };

  // Ctrl+C and SIGTERM stop the import like the window's "Стоп": the current row
  // is finished and what was copied stays.
  CatchInterrupts();
  import.Start();
  while (!import.WaitFor(100)) {
    if (Interrupted()) import.Terminate();
  }
  RestoreInterrupts();
  source.CloseDatabase();
  if (!import.RanToTheEnd() && !import.Terminated()) return kExitFailure;  // ended by an error
  return import.RanToTheEnd() && import.GetCounts().failed == 0 ? kExitOk : kExitFindings;
}

}  // namespace melo::cli
