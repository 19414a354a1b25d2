// melodar-tour DIR: starts Melodar's windows as a user sees them and saves a
// picture of each into DIR. A real database is indexed by melobank-cli from the
// development corpus (MELO_CORPUS, else ../corpus/dev beside the source tree, else
// the demo library made by scripts/make-demo-library), with two damaged rows for
// the database-errors window; one of its tracks plays through Echoline's file mode
// while the automatic search runs.
#include "base/dialogs.h"
#include "gui/file_chooser.h"
#include "searcher/app/capture_ring.h"
#include "searcher/app/database_errors_window.h"
#include "searcher/app/main_window.h"
#include "searcher/app/qt_audio_platform.h"
#include "searcher/app/search_parameters_window.h"
#include "searcher/app/searcher_session.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sqlite3.h>

namespace melo {

namespace {

constexpr int kTracks = 8;

void Say(const QString& text) { std::fprintf(stderr, "melodar-tour: %s\n", qPrintable(text)); }

bool Run(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, arguments);
  const bool ok = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (!ok) Say(program + QStringLiteral(" failed"));
  return ok;
}

// Keeps the event loop turning until `done` holds or `ms` have passed.
bool SpinUntil(const std::function<bool()>& done, int ms) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

void Spin(int ms) {
  SpinUntil([] { return false; }, ms);
}

// The first kTracks audio files of the corpus, or of a demo library made in `work`.
QStringList Library(const QString& work) {
  QString corpus = qEnvironmentVariable("MELO_CORPUS");
  if (corpus.isEmpty()) corpus = QStringLiteral(SOURCE_DIR "/../corpus/dev");
  if (!QFileInfo(corpus).isDir()) {
    corpus = work + QStringLiteral("/library");
    if (!Run(QStringLiteral(SOURCE_DIR "/scripts/make-demo-library"), {corpus})) return {};
  }
  QStringList files;
  for (const QFileInfo& f : QDir(corpus).entryInfoList(QDir::Files, QDir::Name)) files.append(f.absoluteFilePath());
  return files.mid(0, kTracks);
}

// Two rows whose fingerprint is missing, as a database written by another tool
// may hold: the table is copied without its NOT NULL rules first.
bool AddDamagedRows(const QString& database) {
  sqlite3* db = nullptr;
  sqlite3_open(database.toUtf8().constData(), &db);
  const char* steps =
      "CREATE TABLE Loose AS SELECT * FROM Data;"
      "INSERT INTO Loose SELECT id + 1000, source_size, sha2, md5, duration, source_path || '.copy', "
      "source_file_name, extension, type, audio_track, all_tracks, created, info, records, NULL, NULL "
      "FROM Data LIMIT 2;"
      "DROP TABLE Data; ALTER TABLE Loose RENAME TO Data;";
  const bool ok = sqlite3_exec(db, steps, nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

void Save(QWidget* window, const QString& dir, const QString& name) {
  window->grab().save(dir + QLatin1Char('/') + name);
  Say(QStringLiteral("saved ") + name);
}

}  // namespace

int Tour(const QString& out) {
  QTemporaryDir work;
  const QString bin = QCoreApplication::applicationDirPath();
  const QStringList tracks = Library(work.path());
  if (tracks.isEmpty()) return 1;
  const QString database = work.filePath(QStringLiteral("tour.db"));
  QDir().mkpath(work.filePath(QStringLiteral("work")));
  Say(QStringLiteral("indexing %1 tracks").arg(tracks.size()));
  if (!Run(bin + QStringLiteral("/melobank-cli"), QStringList{"index", "--db", database, "--threads", "2",
                                                              "--work-dir", work.filePath("work")} + tracks) ||
      !AddDamagedRows(database)) {
    return 1;
  }
  // The helper plays the third track from its 30th second, as a stereo 48 kHz file.
  const QString playing = work.filePath(QStringLiteral("playing.wav"));
  if (!Run(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-y", "-ss", "30", "-t", "90", "-i",
                                      tracks[std::min<qsizetype>(2, tracks.size() - 1)], "-ac", "2", "-ar", "48000",
                                      "-c:a", "pcm_s16le", playing})) {
    return 1;
  }
  qputenv("ECHOLINE_SOURCE", playing.toLocal8Bit());

  ProgramPaths paths{bin, work.filePath(QStringLiteral("data")), {}, {}};
  QDir().mkpath(paths.dataDir);
  paths.settingsFile = paths.dataDir + QStringLiteral("/Melodar.ini");
  paths.programLog = paths.dataDir + QStringLiteral("/Melodar.log");
  SearcherSettings settings = SearcherSettings::For(paths);
  settings.databasePath = database;
  StderrDialogs dialogs;
  settings.WriteINIFile(dialogs);
  QtAudioPlatform platform;
  DialogFileChooser chooser;
  SearcherSession session(settings, platform, dialogs);
  melodar::TForm1 window(session, dialogs, chooser);
  window.move(40, 40);
  window.show();

  int found = 0;
  session.AddSearchListener([&](const SearchReport& report) { found += report.title.isEmpty() ? 0 : 1; });
  if (!SpinUntil([&] { return session.IndexLoaded() && session.Sound().Ring()->Total() >= 6 * 48000; }, 60000)) {
    Say(QStringLiteral("the database did not load or nothing was heard"));
    return 1;
  }
  window.findChild<QPushButton*>(QStringLiteral("autoButton"))->click();
  SpinUntil([&] { return found >= 3; }, 30000);
  Spin(1500);
  Save(&window, out, QStringLiteral("melodar-main.png"));

  // The mode item "Тщательный" copies its tolerances into the parameters window.
  melodar::MainMenu::Item(window.Menu().mode, static_cast<int>(SearchMode::Thorough))->trigger();
  window.SearchParametersWindow()->show();
  Spin(500);
  Save(window.SearchParametersWindow(), out, QStringLiteral("melodar-search-parameters.png"));
  window.LoadErrorsWindow()->show();
  Spin(500);
  Save(window.LoadErrorsWindow(), out, QStringLiteral("melodar-database-errors.png"));
  window.close();
  return found >= 3 ? 0 : 1;
}

}  // namespace melo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Melodar"));
  if (argc != 2) {
    std::fprintf(stderr, "usage: melodar-tour DIR\n");
    return 2;
  }
  QDir().mkpath(QString::fromLocal8Bit(argv[1]));
  return melo::Tour(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
}
