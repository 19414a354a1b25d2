// melobank-tour DIR: opens every Melobank window as a user sees it after real
// work — a new database, files generated and indexed by a real run (one indexed
// before, one broken) — and saves a picture of each window into DIR.
// melobank-tour --scene N GOFILE: acts the task of help video N (4-6) on the same
// files, paced for the recorder (see tours/recorded_scene.h).
#include "base/dialogs.h"
#include "base/event_wait.h"
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "gui/about_box.h"
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "indexer/app/indexer_settings.h"
#include "tours/recorded_scene.h"
#include "indexer/windows/main_window.h"
#include "tours/melobank_scenes.h"
#include "indexer/windows/messages_window.h"
#include "indexer/windows/settings_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <functional>

namespace {

using namespace melo;

// Messages go to the terminal; the run's messages would otherwise wait for a click.
class TourDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& text) override { QTextStream(stderr) << "message: " << text << '\n'; }
  bool AskYesNo(const QString&, const QString&) override { return true; }
};

bool Ffmpeg(const QStringList& arguments) {
  QProcess p;
  p.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A tone with a slow tremolo, like the test signals, `seconds` long.
bool MakeTone(const QString& path, int seconds, int frequency) {
  return Ffmpeg({"-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:duration=%2").arg(frequency).arg(seconds),
                 "-af", "tremolo=f=1.5:d=0.6", "-ar", "44100", path});
}

bool MakeVideo(const QString& path, int seconds) {
  return Ffmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(seconds), "-f",
                 "lavfi", "-i", QStringLiteral("sine=frequency=660:duration=%1").arg(seconds), "-af",
                 "tremolo=f=2:d=0.5", "-c:v", "mpeg4", "-c:a", "aac", "-shortest", path});
}

bool Save(QWidget* window, const QString& path) {
  window->show();
  window->raise();
  TurnEvents(400);
  const bool saved = window->grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << '\n';
  return saved;
}

bool Click(TForm1& form, const QString& item) {
  QAction* action = form.MenuAction(item);
  if (action) action->trigger();
  return action != nullptr;
}

bool IndexQueue(TForm1& form) {
  if (!Click(form, QStringLiteral("Старт")) || !form.IndexingRunning()) return false;
  return TurnEventsUntil([&] { return !form.IndexingRunning(); }, 300000);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool sceneMode = argc == 4 && QByteArray(argv[1]) == "--scene";
  if (argc != 2 && !sceneMode) {
    QTextStream(stderr) << "usage: melobank-tour DIR | melobank-tour --scene N GOFILE\n";
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Melobank"));
  QApplication::setApplicationVersion(QStringLiteral(MELO_VERSION));
  QApplication::setStyle(QStringLiteral("Fusion"));
  InstallRussianQtTexts();
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  if (!sceneMode) QDir().mkpath(out);

  // The program's own files go to a scratch folder, never beside the real program.
  QTemporaryDir scratch;
  const QString library = JoinPath(scratch.path(), QStringLiteral("Медиатека"));
  const QString work = JoinPath(scratch.path(), QStringLiteral("work"));
  QDir().mkpath(library);
  QDir().mkpath(work);
  const ProgramPaths paths{QCoreApplication::applicationDirPath(), scratch.path(),
                           JoinPath(scratch.path(), QStringLiteral("Melobank.ini")),
                           JoinPath(scratch.path(), QStringLiteral("Melobank.log"))};
  SetMyLogPath(JoinPath(scratch.path(), QStringLiteral("my.log")));

  auto file = [&](const QString& name) { return JoinPath(library, name); };
  const bool made = MakeTone(file(QStringLiteral("Старая запись.ogg")), 33, 330) &&
                    MakeTone(file(QStringLiteral("Утренняя прогулка.ogg")), 36, 440) &&
                    MakeTone(file(QStringLiteral("Вечерний джаз.mp3")), 41, 523) &&
                    MakeVideo(file(QStringLiteral("Концерт в парке.mp4")), 34);
  QFile broken(file(QStringLiteral("Повреждённая запись.flac")));
  if (!made || !broken.open(QIODevice::WriteOnly) || broken.write(QByteArray(6000, 'x')) != 6000) {
    QTextStream(stderr) << "could not make the media files (is ffmpeg installed?)\n";
    return 1;
  }
  broken.close();

  // The working folder and two workers, saved by an earlier session.
  IndexerSettings earlier;
  earlier.workDir = work;
  earlier.threads = 2;
  FillToolPathsFromSearchPath(earlier);
  WriteIndexerSettings(paths.settingsFile, earlier);

  TourDialogs dialogs;
  ScriptedFileChooser chooser;
  melo::TForm1 form(paths, dialogs, chooser, std::min(QThread::idealThreadCount(), 2));
  form.show();
  TurnEvents(1300);  // the start-up follow-up has loaded the pictures

  const QString database = JoinPath(scratch.path(), QStringLiteral("Фонотека"));
  if (sceneMode) {
    RecordedScene scene(QString::fromLocal8Bit(argv[3]));
    return PlayMelobankScene(QByteArray(argv[2]).toInt(), form, chooser,
                             {library, file(QStringLiteral("Старая запись.ogg")), database}, scene);
  }

  chooser.answers = {database};
  Click(form, QStringLiteral("Создать новую базу данных"));

  // One file indexed earlier, then the whole folder.
  chooser.answers = {file(QStringLiteral("Старая запись.ogg"))};
  Click(form, QStringLiteral("Добавить файлы"));
  bool ran = IndexQueue(form);
  Click(form, QStringLiteral("Новый список"));
  chooser.answers = {library};
  Click(form, QStringLiteral("Добавить файлы из каталога"));
  ran = ran && IndexQueue(form);
  if (!ran) {
    QTextStream(stderr) << "the indexing runs did not finish\n";
    return 1;
  }
  form.QueueStatusTick();
  form.ResourcesTick();

  bool pictures = Save(&form, JoinPath(out, QStringLiteral("melobank-main.png")));
  pictures = Save(&form.MessagesWindow(), JoinPath(out, QStringLiteral("melobank-messages.png"))) && pictures;
  const QStringList pages = {QStringLiteral("database"), QStringLiteral("tools"), QStringLiteral("speed")};
  for (int page = 0; page < pages.size(); ++page) {
    form.SettingsWindow().SetPage(static_cast<TForm2::Page>(page));
    pictures = Save(&form.SettingsWindow(), JoinPath(out, QStringLiteral("melobank-settings-%1.png").arg(pages[page]))) &&
            pictures;
  }
  form.SettingsWindow().hide();
  pictures = Save(&form.About(), JoinPath(out, QStringLiteral("melobank-about.png"))) && pictures;
  form.About().hide();
  form.close();
  return pictures ? 0 : 1;
}
