#include "cli/melobank/landmarks_command.h"

#include "base/console.h"
#include "base/dialogs.h"
#include "base/event_wait.h"
#include "base/program_paths.h"
#include "base/text_format.h"
#include "cli/common/subcommands.h"
#include "cli/melobank/database_commands.h"
#include "indexer/app/database_landmark_run.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/database/record_store.h"
#include "trackdb/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace melo::cli {

namespace {

// The run's Russian messages are for the window; here each outcome is said in
// English instead.
class SilentDialogs : public Dialogs {
 public:
  void ShowMessage(const QString&) override {}
  bool AskYesNo(const QString&, const QString&) override { return true; }
};

QString SkippedLine(const SkippedRow& row) {
  QString why;
  switch (row.reason) {
    case SkippedRow::Reason::SourceMissing: why = QStringLiteral("source file not found"); break;
    case SkippedRow::Reason::SourceChanged: why = QStringLiteral("source file changed (size or MD5 differ)"); break;
    case SkippedRow::Reason::DecodingFailed: why = QStringLiteral("cannot decode the source file"); break;
    case SkippedRow::Reason::StoreFailed: why = QStringLiteral("cannot store the landmarks"); break;
  }
  QString line = QStringLiteral("id %1: %2: %3").arg(row.id).arg(why, EscapeControls(row.sourcePath));
  if (!row.cause.isEmpty()) line += QStringLiteral(" (") + EscapeControls(row.cause) + QLatin1Char(')');
  return line;
}

QString Refusal(DatabaseLandmarkRun::StartOutcome outcome, const DecodingTools& tools, const QString& database) {
  using Outcome = DatabaseLandmarkRun::StartOutcome;
  switch (outcome) {
    case Outcome::NoFfmpeg: return QStringLiteral("ffmpeg not found: give --ffmpeg PATH");
    case Outcome::NoSox: return QStringLiteral("sox not found: give --sox PATH");
    case Outcome::NoWorkDirectory: return QStringLiteral("%1: no such work directory").arg(tools.toolDir);
    case Outcome::NotWritable: return QStringLiteral("%1: the database cannot be written").arg(database);
    case Outcome::DatabaseBusy:
      return QStringLiteral("%1: an indexing run, a clear or an import holds this database; try again when it has ended")
          .arg(database);
    case Outcome::WorkDirectoryBusy:
      return QStringLiteral("%1: another indexing run works in this directory; give another --work-dir")
          .arg(tools.toolDir);
    case Outcome::WorkFolderUnusable:
      return QStringLiteral("%1: the work directory holds a folder 0 the indexer did not make").arg(tools.toolDir);
    case Outcome::NotConnected:
    case Outcome::Running:
    case Outcome::Started: break;
  }
  return QStringLiteral("%1: cannot add landmarks").arg(database);
}

// Why a database cannot be written, in English, or nothing.
QString WriteProblem(TDataModule1& store, const QString& database) {
  switch (store.ProbeWrite()) {
    case TDataModule1::WriteAccess::Writable: return {};
    case TDataModule1::WriteAccess::ReadOnlyFile: return QStringLiteral("%1: the database is read-only").arg(database);
    case TDataModule1::WriteAccess::ReadOnlyFolder:
      return QStringLiteral("%1: its folder takes no journal beside the database").arg(database);
    case TDataModule1::WriteAccess::Failed: break;
  }
  return QStringLiteral("%1: the database cannot be written: %2").arg(database, store.LastError());
}

}  // namespace

int RunLandmarksCommand(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Adds landmarks to the rows of a database that have none (indexed before there were any, or "
      "imported without): each row's source file is found by its stored path, trusted only when its size "
      "and MD5 are the row's, and its audio stream decoded as indexing does. Rows whose source is gone or "
      "changed are listed and left as they are; nothing else in the database changes. Ctrl+C stops after "
      "the current row; run it again to continue. Refused while an indexing run, a clear or an import "
      "holds the database. Defaults come from the indexer's settings file when there is one. Exit status 0 "
      "when every row has landmarks, 1 when rows were listed or the run was stopped, 2 when it could not run."));
  const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("The database."), QStringLiteral("DB"));
  const QCommandLineOption workDir(QStringLiteral("work-dir"),
                                   QStringLiteral("Work directory (default: a temporary one)."), QStringLiteral("DIR"));
  const QCommandLineOption ffmpeg(QStringLiteral("ffmpeg"), QStringLiteral("Path of ffmpeg."), QStringLiteral("PATH"));
  const QCommandLineOption sox(QStringLiteral("sox"), QStringLiteral("Path of sox."), QStringLiteral("PATH"));
  parser.addOptions({db, workDir, ffmpeg, sox});
  int exitCode = kExitOk;
  if (!ParseCommandLine(parser, arguments, &exitCode)) return exitCode;
  if (!parser.isSet(db) || !parser.positionalArguments().isEmpty()) return Fail(QStringLiteral("expected --db DB"));

  const ProgramPaths paths = ProgramPaths::For(QCoreApplication::applicationDirPath(), QStringLiteral("melobank"));
  IndexerSettings settings;
  if (!ReadIndexerSettings(paths.settingsFile, QThread::idealThreadCount(), settings)) {
    return Fail(QStringLiteral("cannot read %1").arg(paths.settingsFile));
  }
  if (parser.isSet(ffmpeg)) settings.ffmpeg = parser.value(ffmpeg);
  if (parser.isSet(sox)) settings.sox = parser.value(sox);
  if (parser.isSet(workDir)) settings.workDir = parser.value(workDir);
  FillToolPathsFromSearchPath(settings);
  QTemporaryDir temporaryWorkDir;
  // The tools run in the work directory: every path they get must be absolute.
  const DecodingTools tools{settings.ffmpeg, settings.sox,
                            settings.workDir.isEmpty() ? temporaryWorkDir.path()
                                                       : QFileInfo(settings.workDir).absoluteFilePath()};

  const QString database = parser.value(db);
  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!OpenExistingDatabase(store, database)) return kExitFailure;
  if (store.QueryScalar(sql::kHasDataTable) == 0) return Fail(QStringLiteral("%1 holds no table Data").arg(database));
  if (const QString problem = WriteProblem(store, database); !problem.isEmpty()) return Fail(problem);

  SilentDialogs silent;
  DatabaseLandmarkRun run(store, silent);
  run.onSkipped = [](const SkippedRow& row) { Print(SkippedLine(row) + QLatin1Char('\n')); };
  const DatabaseLandmarkRun::StartOutcome outcome = run.Start(tools);
  if (outcome != DatabaseLandmarkRun::StartOutcome::Started) return Fail(Refusal(outcome, tools, database));
  // Ctrl+C and SIGTERM stop the run like the window's "Стоп": what was stored stays.
  CatchInterrupts();
  while (!TurnEventsUntil([&] { return !run.Running() || Interrupted(); }, 100)) {
  }
  if (run.Running()) run.Stop();
  RestoreInterrupts();

  const AddLandmarks::Counts counts = run.Counts();
  Print(QStringLiteral("rows: %1, without landmarks: %2, landmarks added: %3, rows listed: %4%5\n")
            .arg(counts.rows)
            .arg(counts.without)
            .arg(counts.added)
            .arg(counts.skipped)
            .arg(run.RanToTheEnd() ? QString() : QStringLiteral(", stopped")));
  if (!run.RowsRead()) return Fail(QStringLiteral("%1: cannot read the rows").arg(database));
  return run.RanToTheEnd() && counts.skipped == 0 ? kExitOk : kExitFindings;
}

}  // namespace melo::cli
