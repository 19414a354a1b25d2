#include "cli/melobank/index_command.h"

#include "base/console.h"
#include "base/dialogs.h"
#include "base/file_listing.h"
#include "base/text_format.h"
#include "cli/common/subcommands.h"
#include "indexer/app/file_queue.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/app/indexing_messages.h"
#include "indexer/app/indexing_run.h"
#include "indexer/database/record_store.h"
#include "trackdb/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <optional>
#include <unistd.h>

namespace melo::cli {

namespace {

struct IndexOptions {
  IndexerSettings settings;
  QStringList paths;
  QString listFile;
};

// The command's options, declared once for the parser and for reading the values.
struct IndexOptionSet {
  QCommandLineOption db{QStringLiteral("db"), QStringLiteral("The database (created when missing)."),
                        QStringLiteral("DB")};
  QCommandLineOption threads{QStringLiteral("threads"), QStringLiteral("Files processed at once."),
                             QStringLiteral("N")};
  QCommandLineOption workDir{QStringLiteral("work-dir"), QStringLiteral("Work directory (default: a temporary one)."),
                             QStringLiteral("DIR")};
  QCommandLineOption ffmpeg{QStringLiteral("ffmpeg"), QStringLiteral("Path of ffmpeg."), QStringLiteral("PATH")};
  QCommandLineOption sox{QStringLiteral("sox"), QStringLiteral("Path of sox."), QStringLiteral("PATH")};
  QCommandLineOption noCopy{QStringLiteral("no-copy"), QStringLiteral("Work on the files in place, without a copy.")};
  QCommandLineOption list{QStringLiteral("list"), QStringLiteral("Also index the files of a .list file."),
                          QStringLiteral("FILE.list")};

  void AddTo(QCommandLineParser& parser) const {
    parser.setApplicationDescription(QStringLiteral(
        "Indexes audio and video files into a fingerprint database, with the same run the "
        "indexer's window drives. Folders are walked with their subfolders. Defaults come from "
        "the indexer's settings file when there is one."));
    parser.addOptions({db, threads, workDir, ffmpeg, sox, noCopy, list});
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Files and folders to index."),
                                 QStringLiteral("PATH..."));
  }
};

// The settings file's values with the command line's on top; the message of a bad
// --threads, or nothing.
std::optional<QString> ApplyOverrides(const QCommandLineParser& parser, const IndexOptionSet& o,
                                      IndexerSettings& s) {
  if (parser.isSet(o.db)) s.dbPath = parser.value(o.db);
  if (parser.isSet(o.workDir)) s.workDir = parser.value(o.workDir);
  if (parser.isSet(o.ffmpeg)) s.ffmpeg = parser.value(o.ffmpeg);
  if (parser.isSet(o.sox)) s.sox = parser.value(o.sox);
  if (parser.isSet(o.noCopy)) s.copyToWorkDir = false;
  if (!parser.isSet(o.threads)) return std::nullopt;
  bool isNumber = false;
  s.threads = parser.value(o.threads).toInt(&isNumber);
  if (!isNumber || s.threads < 1) return QStringLiteral("--threads needs a number of 1 or more");
  s.threads = std::min(s.threads, QThread::idealThreadCount());
  return std::nullopt;
}

// The message when there is nothing to index into or from, or nothing.
std::optional<QString> CheckIndexOptions(const IndexOptions& options) {
  if (options.settings.dbPath.isEmpty()) return QStringLiteral("no database: give --db DB");
  if (options.paths.isEmpty() && options.listFile.isEmpty()) {
    return QStringLiteral("nothing to index: give files, folders or --list");
  }
  for (const QString& path : options.paths) {
    if (!QFileInfo::exists(path)) return QStringLiteral("%1: no such file or folder").arg(path);
  }
  return std::nullopt;
}

// The message of the first problem with the parsed options, or nothing.
std::optional<QString> ReadIndexOptions(const QCommandLineParser& parser, const IndexOptionSet& o,
                                        const ProgramPaths& paths, IndexOptions* options) {
  if (!ReadIndexerSettings(paths.settingsFile, QThread::idealThreadCount(), options->settings)) {
    return QStringLiteral("cannot read %1").arg(paths.settingsFile);
  }
  IndexerSettings& s = options->settings;
  if (auto problem = ApplyOverrides(parser, o, s)) return problem;
  FillToolPathsFromSearchPath(s);
  // The tools run in the work directory: every path they get must be absolute.
  auto absolute = [](const QString& path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); };
  s.dbPath = absolute(s.dbPath);
  s.workDir = absolute(s.workDir);
  for (const QString& path : parser.positionalArguments()) options->paths.append(absolute(path));
  options->listFile = parser.value(o.list);
  return CheckIndexOptions(*options);
}

// Adds the list file's entries and every file or folder given, the way the
// window's "Открыть список", "Добавить файлы" and "Добавить каталог" do. Returns
// how many candidates the queue refused (duplicates, other file types).
qsizetype FillQueue(const IndexOptions& options, FileQueue& queue, int* exitCode) {
  qsizetype refused = 0;
  FileQueue listed;
  if (!options.listFile.isEmpty() && !listed.LoadList(options.listFile)) {
    *exitCode = Fail(QStringLiteral("%1: cannot read the list").arg(options.listFile));
    return -1;
  }
  // The tools run in the work directory: a relative entry is taken from here.
  for (const QueueEntry& entry : listed.Entries()) queue.AddFile(QFileInfo(entry.path).absoluteFilePath());
  for (const QString& path : options.paths) {
    QStringList files;
    if (QFileInfo(path).isDir()) {
      ListFiles(path, QStringLiteral("*.*"), true, false, files);
    } else {
      files.append(path);
    }
    for (const QString& file : files) refused += queue.AddFile(file) ? 0 : 1;
  }
  return refused;
}

// Opens the database, creating the file or its table where they are missing.
bool PrepareDatabase(TDataModule1& store, const QString& path) {
  if (!store.OpenDatabase(path)) return false;
  return store.QueryScalar(sql::kHasDataTable) > 0 || store.CreateTable();
}

QString ProgressLine(const FileQueue& queue, const IndexingMessages& messages) {
  const QDateTime now = QDateTime::currentDateTime();
  const double elapsed = messages.ElapsedSeconds(now);
  const qsizetype finished = queue.Size() - queue.CountWithStatus(QString()) - queue.CountWithStatus(kStatusProcessing);
  return QStringLiteral("Готово: %1 из %2, ошибок: %3, Файлов в час: %4, Аудио часов в час: %5")
      .arg(finished)
      .arg(queue.Size())
      .arg(queue.CountWithStatus(kStatusError))
      .arg(IndexingMessages::FilesPerHour(messages.succeeded.size(), elapsed))
      .arg(IndexingMessages::AudioHoursPerHour(IndexedRecordsTotal(), elapsed));
}

QString Summary(const FileQueue& queue, const IndexingMessages& messages) {
  QString out;
  for (const QueueEntry& e : queue.Entries()) {
    out += (e.status.isEmpty() ? QStringLiteral("в очереди") : e.status) + QLatin1Char('\t') + EscapeControls(e.path);
    if (!e.message.isEmpty() && e.status != kStatusIndexedBefore) out += QLatin1Char('\t') + e.message;
    if (!e.cause.isEmpty()) out += QLatin1Char('\t') + EscapeControls(e.cause);
    out += QLatin1Char('\n');
  }
  const double elapsed = messages.ElapsedSeconds(QDateTime::currentDateTime());
  out += QStringLiteral("Файлов: %1, обработано: %2, ошибок: %3, проиндексировано ранее: %4\n")
             .arg(queue.Size())
             .arg(queue.CountWithStatus(kStatusDone))
             .arg(queue.CountWithStatus(kStatusError))
             .arg(queue.CountWithStatus(kStatusIndexedBefore));
  out += QStringLiteral("Время работы: %1, проиндексировано аудио: %2\n")
             .arg(FormatDuration(static_cast<int64_t>(elapsed), false),
                  FormatDuration(IndexedRecordsTotal() / 2, true));
  return out;
}

// Runs the event loop until the run has finished or Ctrl+C has stopped it, with a
// progress line on a terminal.
void RunUntilFinished(IndexingRun& run, const FileQueue& queue, const IndexingMessages& messages) {
  const bool onTerminal = isatty(STDERR_FILENO) != 0;
  QTimer progress;
  QObject::connect(&progress, &QTimer::timeout,
                   [&] { WriteText(stderr, QLatin1Char('\r') + ProgressLine(queue, messages) + "\033[K"); });
  if (onTerminal) progress.start(1000);
  run.onFinished = [] { QCoreApplication::quit(); };
  // Ctrl+C stops the run the way the window's stop button does: running files are
  // finished and marked stopped, the work folders cleared.
  CatchInterrupts();
  QTimer interruptPoll;
  QObject::connect(&interruptPoll, &QTimer::timeout, [&] {
    if (!Interrupted() || !run.Running()) return;
    run.Stop();
    QCoreApplication::quit();
  });
  interruptPoll.start(100);
  QCoreApplication::exec();
  RestoreInterrupts();
  if (onTerminal) WriteText(stderr, QStringLiteral("\r\033[K"));
}

}  // namespace

int RunIndexCommand(const QStringList& arguments) {
  const ProgramPaths paths =
      ProgramPaths::For(QCoreApplication::applicationDirPath(), QStringLiteral("melobank"));
  IndexOptions options;
  int exitCode = kExitOk;
  const auto read = [&paths](const QCommandLineParser& parser, const IndexOptionSet& set, IndexOptions* o) {
    return ReadIndexOptions(parser, set, paths, o);
  };
  if (!ParseOptions<IndexOptionSet>(arguments, &options, &exitCode, read)) return exitCode;

  QTemporaryDir temporaryWorkDir;
  if (options.settings.workDir.isEmpty()) options.settings.workDir = temporaryWorkDir.path();

  FileQueue queue;
  const qsizetype refused = FillQueue(options, queue, &exitCode);
  if (refused < 0) return exitCode;
  if (refused > 0) {
    WriteErrorLine(QStringLiteral("Не добавлено в очередь (повтор или неподходящий тип): %1").arg(refused));
  }

  StderrDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!PrepareDatabase(store, options.settings.dbPath)) {
    return Fail(QStringLiteral("%1: cannot open or create the database").arg(options.settings.dbPath));
  }
  IndexingMessages messages;
  IndexingRun run(queue, options.settings, paths, store, dialogs, messages, QThread::idealThreadCount());
  if (run.Start() != IndexingRun::StartOutcome::Started) return kExitFailure;
  RunUntilFinished(run, queue, messages);

  Print(Summary(queue, messages));
  const qsizetype fine = queue.CountWithStatus(kStatusDone) + queue.CountWithStatus(kStatusIndexedBefore);
  return fine == queue.Size() ? kExitOk : kExitFindings;
}

}  // namespace melo::cli
