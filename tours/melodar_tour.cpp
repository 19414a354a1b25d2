// melodar-tour DIR: starts Melodar's windows as a user sees them and saves a
// picture of each into DIR. A real database is indexed by melobank-cli from the
// development corpus (MELO_CORPUS, else ../corpus/dev beside the source tree, else
// the demo library made by scripts/make-demo-library), with two damaged rows for
// the database-errors window. Through Echoline's file mode the helper plays a piece
// of an indexed track, a pause, a piece of a track that is not indexed and a piece
// of another indexed track, while the automatic search runs with the debug
// windows open; then the result, history and debug windows are pictured, and the
// debug menu's windows in use (tours/workbench_pictures.h) on the same database,
// which is given the tracks' landmarks for the robust mode.
// melodar-tour --scene N GOFILE: acts the task of help video N (1-3) on the same
// database while Echoline plays 25 s of one indexed track and then another,
// paced for the recorder (see tours/recorded_scene.h).
#include "base/dialogs.h"
#include "base/event_wait.h"
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "tours/recorded_scene.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/windows/database_errors_window.h"
#include "searcher/windows/debug_window.h"
#include "searcher/windows/debug_workbench.h"
#include "searcher/windows/history_window.h"
#include "searcher/windows/log_window.h"
#include "searcher/windows/profiling_window.h"
#include "searcher/windows/query_results_window.h"
#include "searcher/windows/main_window.h"
#include "tours/melodar_scenes.h"
#include "tours/workbench_pictures.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/windows/search_parameters_window.h"
#include "searcher/app/searcher_session.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QPushButton>
#include <QSpinBox>
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

// The audio files of the corpus, or of a demo library made in `work`; the first
// kTracks are indexed.
QStringList Library(const QString& work) {
  QString corpus = qEnvironmentVariable("MELO_CORPUS");
  if (corpus.isEmpty()) corpus = QStringLiteral(SOURCE_DIR "/../corpus/dev");
  if (!QFileInfo(corpus).isDir()) {
    corpus = work + QStringLiteral("/library");
    if (!Run(QStringLiteral(SOURCE_DIR "/scripts/make-demo-library"), {corpus})) return {};
  }
  QStringList files;
  for (const QFileInfo& f : QDir(corpus).entryInfoList(QDir::Files, QDir::Name)) files.append(f.absoluteFilePath());
  return files;
}

// `seconds` of `file` from `start`, as the stereo 48 kHz WAV the helper plays.
bool Piece(const QString& file, int start, int seconds, const QString& out) {
  return Run(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-y", "-ss", QString::number(start), "-t",
                                        QString::number(seconds), "-i", file, "-ac", "2", "-ar", "48000", "-c:a",
                                        "pcm_s16le", out});
}

// Indexed track 3 for 18 s, 5 s of silence, 12 s of a track the database does not
// hold (a synthetic one when the library has no ninth file), indexed track 6 for
// 25 s.
bool MakePlayingFile(const QStringList& library, const QString& work, const QString& out) {
  const auto at = [&](qsizetype i) { return library[std::min<qsizetype>(i, kTracks - 1) % library.size()]; };
  const QString a = work + QStringLiteral("/a.wav"), pause = work + QStringLiteral("/pause.wav"),
                b = work + QStringLiteral("/b.wav"), c = work + QStringLiteral("/c.wav");
  const bool unindexed =
      library.size() > kTracks
          ? Piece(library[kTracks], 40, 12, b)
          : Run(QStringLiteral("sox"), {"-n", "-r", "48000", "-c", "2", "-b", "16", b, "synth", "12", "pinknoise",
                                        "tremolo", "2", "60", "gain", "-n", "-6"});
  return Piece(at(2), 30, 18, a) && unindexed && Piece(at(5), 40, 25, c) &&
         Run(QStringLiteral("sox"), {"-n", "-r", "48000", "-c", "2", "-b", "16", pause, "trim", "0", "5"}) &&
         Run(QStringLiteral("sox"), {a, pause, b, c, out});
}

// For the help videos: indexed track 3 for 25 s, then indexed track 6.
bool MakeScenePlayingFile(const QStringList& library, const QString& work, const QString& out) {
  const auto at = [&](qsizetype i) { return library[std::min<qsizetype>(i, kTracks - 1) % library.size()]; };
  const QString a = work + QStringLiteral("/a.wav"), c = work + QStringLiteral("/c.wav");
  return Piece(at(2), 30, 25, a) && Piece(at(5), 40, 60, c) && Run(QStringLiteral("sox"), {a, c, out});
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

// For the debug windows: 60 s of indexed track 1 for the player, and a folder
// with two indexed tracks and the piece no track holds for the test environment.
WorkbenchFiles MakeWorkbenchFiles(const QStringList& library, const QString& work) {
  WorkbenchFiles files{work + QStringLiteral("/player.wav"), work + QStringLiteral("/test-folder")};
  const auto at = [&](qsizetype i) { return library[std::min<qsizetype>(i, kTracks - 1) % library.size()]; };
  QDir().mkpath(files.testFolder);
  const bool made = Piece(at(0), 60, 60, files.playerPiece) &&
                    QFile::link(at(0), files.testFolder + QLatin1Char('/') + QFileInfo(at(0)).fileName()) &&
                    QFile::link(at(6), files.testFolder + QLatin1Char('/') + QFileInfo(at(6)).fileName()) &&
                    QFile::copy(work + QStringLiteral("/b.wav"), files.testFolder + QStringLiteral("/stranger.wav"));
  if (!made) files.playerPiece.clear();
  return files;
}

void Save(QWidget* window, const QString& dir, const QString& name) {
  window->grab().save(dir + QLatin1Char('/') + name);
  Say(QStringLiteral("saved ") + name);
}

}  // namespace

// Without a scene, saves the pictures into `out`; with one, `out` is its go file.
int Tour(const QString& out, int scene) {
  QTemporaryDir work;
  const QString bin = QCoreApplication::applicationDirPath();
  const QStringList library = Library(work.path());
  if (library.isEmpty()) return 1;
  const QStringList tracks = library.mid(0, kTracks);
  const QString database = work.filePath(QStringLiteral("tour.db"));
  QDir().mkpath(work.filePath(QStringLiteral("work")));
  Say(QStringLiteral("indexing %1 tracks").arg(tracks.size()));
  if (!Run(bin + QStringLiteral("/melobank-cli"), QStringList{"index", "--db", database, "--threads", "2",
                                                              "--work-dir", work.filePath("work")} + tracks) ||
      (scene == 0 && !AddDamagedRows(database))) {
    return 1;
  }
  const QString playing = work.filePath(QStringLiteral("playing.wav"));
  if (!(scene ? MakeScenePlayingFile : MakePlayingFile)(library, work.path(), playing)) return 1;
  qputenv("ECHOLINE_SOURCE", playing.toLocal8Bit());

  ProgramPaths paths{bin, work.filePath(QStringLiteral("data")), {}, {}};
  QDir().mkpath(paths.dataDir);
  paths.settingsFile = paths.dataDir + QStringLiteral("/Melodar.ini");
  paths.programLog = paths.dataDir + QStringLiteral("/Melodar.log");
  SearcherSettings settings = SearcherSettings::For(paths);
  settings.databasePath = database;
  settings.debugMode = scene == 0;  // as with debug.dat beside the program
  StderrDialogs dialogs;
  settings.WriteINIFile(dialogs);
  QtAudioPlatform platform;
  DialogFileChooser chooser;
  SearcherSession session(settings, platform, dialogs);
  melodar::TForm1 window(session, dialogs, chooser);
  window.move(40, 40);
  window.show();

  int found = 0, missed = 0;
  ResultEntry lastHit;
  session.AddSearchListener([&](const SearchReport& report) {
    ++(report.outcome.Found() ? found : missed);
    if (report.outcome.Found()) lastHit = report.outcome.entries.front();
  });
  if (!TurnEventsUntil([&] { return session.IndexLoaded() && session.Sound().Ring()->Total() >= 6 * 48000; }, 60000)) {
    Say(QStringLiteral("the database did not load or nothing was heard"));
    return 1;
  }
  if (scene) {
    RecordedScene recorded(out);
    return PlayMelodarScene(scene, window, session, recorded);
  }
  // The debug windows hear of the searches while they are open.
  const melodar::MainMenu& menu = window.Menu();
  using Item = melodar::MainMenu::DebugItem;
  for (const Item item : {Item::KeypointComparison, Item::Profiling, Item::Log}) menu.Debug(item)->trigger();
  window.activateWindow();
  melodar::MainMenu::Item(menu.interval, 3000)->trigger();
  auto* automatic = window.findChild<QPushButton*>(QStringLiteral("autoButton"));
  automatic->click();
  TurnEventsUntil([&] { return found + missed >= 17; }, 120000);
  automatic->click();
  session.WaitForSearch();
  Say(QStringLiteral("%1 searches found the track, %2 did not").arg(found).arg(missed));
  TurnEvents(800);
  Save(&window, out, QStringLiteral("melodar-main.png"));

  menu.queryAndResults->trigger();
  TurnEvents(800);
  Save(window.QueryResultsWindow(), out, QStringLiteral("melodar-query-results.png"));
  window.QueryResultsWindow()->Tabs()->setCurrentIndex(2);
  TurnEvents(300);
  Save(window.QueryResultsWindow(), out, QStringLiteral("melodar-query-results-debug.png"));
  window.QueryResultsWindow()->close();

  menu.history->trigger();
  melodar::TForm11* history = window.HistoryWindow();
  history->FoundOnlyItem()->trigger();  // every search, failed ones too
  TurnEvents(500);
  Save(history, out, QStringLiteral("melodar-history.png"));
  const QStringList pages = {QString(), QStringLiteral("unique"), QStringLiteral("statistics"),
                             QStringLiteral("failures")};
  for (int tab = 1; tab < history->Tabs()->count(); ++tab) {
    history->Tabs()->setCurrentIndex(tab);
    TurnEvents(500);
    Save(history, out, QStringLiteral("melodar-history-%1.png").arg(pages[tab]));
  }
  history->close();

  melodar::DebugWorkbench& bench = *window.Workbench();
  melodar::DebugWindow* debug = bench.Debug();
  TurnEvents(300);
  Save(debug, out, QStringLiteral("melodar-debug.png"));
  debug->SearchTrack(true);
  TurnEvents(300);
  Save(debug, out, QStringLiteral("melodar-debug-track-search.png"));
  // The user picks the track and second of the last hit for the scan timing.
  bench.Profiling()->TrackField()->setValue(lastHit.track);
  bench.Profiling()->SecondField()->setValue(lastHit.frame / 2);
  bench.Profiling()->Measure();
  TurnEvents(300);
  Save(bench.Profiling(), out, QStringLiteral("melodar-profiling.png"));
  Save(bench.Log(), out, QStringLiteral("melodar-log.png"));

  // The "Поиск" menu with its four modes; the item "Шумоустойчивый" copies its
  // tolerances into the parameters window.
  QAction* noisy = melodar::MainMenu::Item(menu.mode, static_cast<int>(SearchMode::Noisy));
  if (auto* searching = qobject_cast<QMenu*>(noisy->associatedObjects().value(0))) {
    searching->popup(window.mapToGlobal(QPoint(380, 20)));
    TurnEvents(500);
    Save(searching, out, QStringLiteral("melodar-search-menu.png"));
    searching->hide();
  }
  noisy->trigger();
  window.SearchParametersWindow()->show();
  TurnEvents(500);
  Save(window.SearchParametersWindow(), out, QStringLiteral("melodar-search-parameters.png"));
  window.LoadErrorsWindow()->show();
  TurnEvents(500);
  Save(window.LoadErrorsWindow(), out, QStringLiteral("melodar-database-errors.png"));
  window.LoadErrorsWindow()->close();
  window.SearchParametersWindow()->close();
  const WorkbenchFiles files = MakeWorkbenchFiles(library, work.path());
  const bool pictured = !files.playerPiece.isEmpty() && PictureWorkbench(window, session, files, out);
  window.close();
  return found >= 3 && missed >= 1 && pictured ? 0 : 1;
}

}  // namespace melo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Melodar"));
  melo::InstallRussianQtTexts();
  if (argc == 4 && QByteArray(argv[1]) == "--scene") {
    return melo::Tour(QString::fromLocal8Bit(argv[3]), QByteArray(argv[2]).toInt());
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: melodar-tour DIR | melodar-tour --scene N GOFILE\n");
    return 2;
  }
  QDir().mkpath(QString::fromLocal8Bit(argv[1]));
  return melo::Tour(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(), 0);
}
