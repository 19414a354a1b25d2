// Melodar: names the music the computer plays or a microphone hears.
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "gui/termination_signals.h"
#include "searcher/windows/main_window.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/searcher_settings.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Melodar"));
  QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
  melo::InstallRussianQtTexts();

  const auto settings = melo::SearcherSettings::For(
      melo::ProgramPaths::For(QApplication::applicationDirPath(), QStringLiteral("Melodar")));
  melo::QtAudioPlatform platform;
  melo::MessageBoxDialogs dialogs;
  melo::DialogFileChooser chooser;
  melo::SearcherSession session(settings, platform, dialogs);
  melo::melodar::TForm1 window(session, dialogs, chooser);
  dialogs.SetParent(&window);
  chooser.SetParent(&window);
  // Ended by the session or a service manager, it writes Melodar.ini and stops
  // Echoline as on "Выход".
  melo::CloseOnTerminationSignals(&window);
  window.show();
  return QApplication::exec();
}
