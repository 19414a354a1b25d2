// Melobank, the indexer: the main window and the program's other windows.
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "base/program_paths.h"
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "gui/termination_signals.h"
#include "indexer/windows/database_windows.h"
#include "indexer/windows/main_window.h"

#include <QApplication>
#include <QThread>

int main(int argc, char** argv) {
  using namespace melo;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Melobank"));
  QApplication::setApplicationVersion(QStringLiteral(MELO_VERSION));
  QApplication::setStyle(QStringLiteral("Fusion"));
  InstallRussianQtTexts();

  // The settings, the program log and my.log beside the program, or in the user's
  // data folder when the program's folder is not writable.
  const ProgramPaths paths = ProgramPaths::For(QCoreApplication::applicationDirPath(), QStringLiteral("Melobank"));
  SetMyLogPath(JoinPath(paths.dataDir, QStringLiteral("my.log")));

  MessageBoxDialogs dialogs;
  DialogFileChooser chooser;
  TForm1 form1(paths, dialogs, chooser, QThread::idealThreadCount());
  dialogs.SetParent(&form1);
  chooser.SetParent(&form1);
  DatabaseWindows databaseWindows(
      form1.DataModule(), dialogs, [&form1] { return form1.Settings().dbPath; }, &form1, [&form1] {
        const IndexerSettings& s = form1.Settings();
        return DecodingTools{s.ffmpeg, s.sox, s.workDir};
      });
  form1.SetDatabaseWindows({[&] { databaseWindows.ShowStatistics(); }, [&] { databaseWindows.ShowBrowser(); },
                            [&] { databaseWindows.ShowCheck(); }, [&] { databaseWindows.ShowImport(); },
                            [&] { databaseWindows.ShowLandmarks(); }});
  CloseOnTerminationSignals(&form1);
  form1.show();
  return QApplication::exec();
}
