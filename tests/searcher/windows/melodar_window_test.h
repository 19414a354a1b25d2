#pragma once

#include "gui/file_chooser.h"
#include "searcher/app/searcher_session.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/windows/main_window.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>

namespace melo::melodar {

// Melodar's window over a real database: two tracks indexed by the real indexer
// (library.db), the first of which the helper plays in file mode.
class MelodarWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testing::TempDir;
    QDir().mkpath(dir_->Path("library"));
    ASSERT_TRUE(testing::RunsOk("sox", {"-n", "-r", "48000", "-c", "2", "-b", "16", Playing(), "synth", "40", "sine",
                                        "220-880", "sine", "330-990", "pinknoise", "tremolo", "3.7", "40", "gain", "-n",
                                        "-3"}));
    ASSERT_TRUE(testing::RunsOk("sox", {"-n", "-r", "44100", "-c", "2", Drone(), "synth", "40", "sine", "300-600",
                                        "brownnoise", "tremolo", "5", "50", "gain", "-n", "-3"}));
    ASSERT_TRUE(testing::RunsOk(MELOBANK_CLI, {"index", "--db", Library(), "--work-dir", dir_->Path(),
                                               dir_->Path("library")}));
    qputenv("ECHOLINE_SOURCE", Playing().toLocal8Bit());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static QString Playing() { return dir_->Path("library/sweeping_glide_track.wav"); }
  static QString Drone() { return dir_->Path("library/rumbling_drone_track.flac"); }
  static QString Library() { return dir_->Path("library.db"); }

  // The window as the program starts it (in debug mode, as with debug.dat beside
  // it, when asked), its files in a folder of the test's own.
  TForm1& Open(const QString& database, bool debugMode = false) {
    const QString data = files_.Path("data");
    QDir().mkpath(data);
    SearcherSettings settings = SearcherSettings::For({TOOLS_DIR, data, data + "/Melodar.ini", data + "/Melodar.log"});
    settings.databasePath = database;
    settings.debugMode = debugMode;
    settings.WriteINIFile(dialogs_);
    session_ = std::make_unique<SearcherSession>(settings, platform_, dialogs_);
    window_ = std::make_unique<TForm1>(*session_, dialogs_, chooser_);
    window_->restartProgram = [this] { return ++restarts_ > 0; };
    window_->show();
    return *window_;
  }

  static inline testing::TempDir* dir_ = nullptr;
  testing::TempDir files_;
  QtAudioPlatform platform_;
  testing::RecordingDialogs dialogs_;
  ScriptedFileChooser chooser_;
  std::unique_ptr<SearcherSession> session_;
  std::unique_ptr<TForm1> window_;
  int restarts_ = 0;
};

}  // namespace melo::melodar
