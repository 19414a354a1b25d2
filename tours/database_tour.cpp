// melobank-database-tour DIR: makes the demo library, indexes it into a real
// database with melobank-cli, gives the check something to find, and saves a
// picture of each database window (every chart page of the statistics, the adding of
// landmarks) into DIR.
// melobank-database-tour --scene N GOFILE: acts the task of help video N (7-9) on
// the same database, paced for the recorder (see tours/recorded_scene.h).
#include "base/dialogs.h"
#include "base/event_wait.h"
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "tours/recorded_scene.h"
#include "tours/database_scenes.h"
#include "indexer/windows/check_window.h"
#include "indexer/windows/database_windows.h"
#include "indexer/windows/import_window.h"
#include "indexer/windows/landmarks_window.h"
#include "indexer/windows/record_browser_window.h"
#include "indexer/windows/statistics_window.h"
#include "indexer/database/record_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <SQLiteCpp/SQLiteCpp.h>
#include <functional>

namespace {

using namespace melo;

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

// The tour has nobody to click message boxes away: it prints what they say and
// answers questions with yes.
class PrintingDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& text) override { Out() << "message: " << text << Qt::endl; }
  bool AskYesNo(const QString& caption, const QString& question) override {
    Out() << "question: " << caption << ": " << question << " -> yes" << Qt::endl;
    return true;
  }
};

bool Run(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, arguments);
  if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    Out() << "failed: " << program << ' ' << arguments.join(' ') << Qt::endl;
    return false;
  }
  return true;
}

bool Index(const QString& database, const QStringList& paths) {
  const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/melobank-cli");
  return Run(cli, QStringList{QStringLiteral("index"), QStringLiteral("--db"), database} + paths);
}

void Wait(const std::function<bool()>& done) {
  TurnEventsUntil(done, 120000);
  TurnEvents(300);  // let the last repaint land
}

bool Save(QWidget* window, const QString& dir, const QString& name) {
  Wait([] { return true; });
  const QString path = dir + QLatin1Char('/') + name;
  const bool saved = window->grab().save(path);
  Out() << (saved ? "saved " : "could not save ") << path << Qt::endl;
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  InstallRussianQtTexts();
  const bool sceneMode = argc == 4 && QByteArray(argv[1]) == "--scene";
  if (argc != 2 && !sceneMode) {
    Out() << "usage: melobank-database-tour DIR | melobank-database-tour --scene N GOFILE" << Qt::endl;
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  if (!sceneMode) QDir().mkpath(out);
  QTemporaryDir work;
  const QString library = work.filePath(QStringLiteral("library"));
  const QString more = work.filePath(QStringLiteral("more"));
  const QString database = work.filePath(QStringLiteral("Фонотека.db"));
  const QString other = work.filePath(QStringLiteral("other.db"));
  QDir().mkpath(more);
  if (!Run(QStringLiteral(MELO_SOURCE_DIR "/scripts/make-demo-library"), {library})) return 1;
  // A second database to import: one track the first also holds, one it does not.
  QFile::copy(library + QStringLiteral("/glide.ogg"), more + QStringLiteral("/glide.ogg"));
  if (!Run(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                   more + QStringLiteral("/chimes.wav"), QStringLiteral("synth"), QStringLiteral("48"),
                                   QStringLiteral("triangle"), QStringLiteral("262-1047"), QStringLiteral("tremolo"),
                                   QStringLiteral("1.5"), QStringLiteral("70")}) ||
      !Index(database, {library}) || !Index(other, {more})) {
    return 1;
  }

  PrintingDialogs dialogs;
  TDataModule1 store(dialogs);
  if (!store.OpenDatabase(database)) return 1;
  // Something for the check to find: a source file gone, a track stored twice (the
  // copy without landmarks) and a row whose landmarks were lost.
  QFile::remove(library + QStringLiteral("/saw.wav"));
  store.Connection()->exec("DELETE FROM Landmarks WHERE id IN (SELECT id FROM Data WHERE source_file_name = 'saw')");
  store.Connection()->exec(
      "INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, extension, type, "
      "audio_track, all_tracks, created, info, records, index_data) SELECT source_size, sha2, md5, duration, "
      "source_path, source_file_name, extension, type, audio_track, all_tracks, created, info, records, index_data "
      "FROM Data WHERE extension = 'mp3'");

  const QTemporaryDir tourWork;
  DatabaseWindows windows(store, dialogs, [&] { return database; }, nullptr, [&] {
    return DecodingTools{QStringLiteral("/usr/bin/ffmpeg"), QStringLiteral("/usr/bin/sox"), tourWork.path()};
  });
  if (sceneMode) {
    RecordedScene scene(QString::fromLocal8Bit(argv[3]));
    return PlayDatabaseScene(QByteArray(argv[2]).toInt(), windows, other, scene);
  }
  bool saved = true;

  windows.ShowStatistics();
  TForm10* statistics = windows.Statistics();
  const QStringList pageNames = {QStringLiteral("files-by-type"), QStringLiteral("files-by-extension"),
                                 QStringLiteral("files-by-landmarks"), QStringLiteral("hours-by-type"),
                                 QStringLiteral("hours-by-extension"),
                                 QStringLiteral("tags"), QStringLiteral("tracks-per-file"),
                                 QStringLiteral("durations")};
  int shot = 0;
  for (int page = 0; page < statistics->Pages()->count(); ++page) {
    statistics->Pages()->setCurrentIndex(page);
    auto* inner = qobject_cast<QTabWidget*>(statistics->Pages()->widget(page));
    for (int sub = 0; sub < (inner ? inner->count() : 1); ++sub) {
      if (inner) inner->setCurrentIndex(sub);
      saved &= Save(statistics, out, QStringLiteral("melobank-statistics-%1-%2.png").arg(shot + 1).arg(pageNames[shot]));
      ++shot;
    }
  }
  statistics->close();

  windows.ShowBrowser();
  TForm9* browser = windows.Browser();
  const int film = static_cast<int>(browser->Browser().Names().indexOf(QStringLiteral("film with two tracks [2]")));
  if (film >= 0) {
    auto* list = browser->findChild<QListView*>();
    list->setCurrentIndex(list->model()->index(film, 0));
  }
  browser->ScrollBar()->setValue(10);
  saved &= Save(browser, out, QStringLiteral("melobank-record-browser.png"));
  browser->close();

  windows.ShowCheck();
  TForm7* check = windows.Check();
  check->SourceFilesOption()->setChecked(true);
  check->StartClick();
  Wait([&] { return !check->Run().Running(); });
  saved &= Save(check, out, QStringLiteral("melobank-check.png"));
  check->close();

  // The copy gets the landmarks of its source; the row whose source is gone is listed.
  windows.ShowLandmarks();
  AddLandmarksWindow* landmarks = windows.Landmarks();
  landmarks->StartClick();
  Wait([&] { return !landmarks->Run().Running(); });
  saved &= Save(landmarks, out, QStringLiteral("melobank-landmarks.png"));
  landmarks->close();

  windows.ShowImport();
  TForm8* import = windows.Import();
  import->PathBox()->setText(other);
  import->StartClick();
  Wait([&] { return !import->Run().Active(); });
  saved &= Save(import, out, QStringLiteral("melobank-import.png"));
  import->close();
  return saved ? 0 : 1;
}
