#include "base/sample_files.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/web_addresses.h"
#include "synth/music_like_signal.h"
#include "tests/support/event_loop.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::RecordingDialogs;
using testing::TempDir;

ProgramPaths PathsIn(const TempDir& dir) {
  return {dir.Path("program"), dir.Path("data"), dir.Path("data/Melodar.ini"), dir.Path("data/Melodar.log")};
}

TEST(SearcherSettings, TheDatabaseAndQueryFolderSurviveARestartOrSayWhyNot) {
  TempDir dir;
  RecordingDialogs dialogs;
  QDir().mkpath(dir.Path("data"));
  SearcherSettings first = SearcherSettings::For(PathsIn(dir));
  EXPECT_TRUE(QFileInfo(dir.Path("data/queries")).isDir());
  first.databasePath = dir.Path("моя база.db");
  first.queryDir = dir.Path("запросы");
  ASSERT_TRUE(first.WriteINIFile(dialogs));

  SearcherSettings next = SearcherSettings::For(PathsIn(dir));
  EXPECT_TRUE(next.databasePath.isEmpty());
  ASSERT_TRUE(next.ReadINIFile(dialogs));
  EXPECT_EQ(next.databasePath, first.databasePath);
  EXPECT_EQ(next.queryDir, first.queryDir);

  next.paths.settingsFile = dir.Path("data");  // a folder cannot be written as a file
  EXPECT_FALSE(next.WriteINIFile(dialogs));
  EXPECT_EQ(dialogs.messages, QStringList{"Ошибка записи INI файла! " + dir.Path("data")});
}

TEST(SearcherSession, TheQueryIsPlayedAndSavedOnlyWhenThereIsOne) {
  TempDir dir;
  RecordingDialogs dialogs;
  QtAudioPlatform platform;
  QDir().mkpath(dir.Path("data"));
  SearcherSettings settings = SearcherSettings::For(PathsIn(dir));
  settings.databasePath = dir.Path("empty.db");
  testing::Sqlite3(settings.databasePath, "CREATE TABLE Data (id INTEGER, index_data BLOB);");
  SearcherSession session(settings, platform, dialogs);
  const QString query = dir.Path("query.wav");
  ASSERT_TRUE(SaveWavSamples(synth::MusicLikeSignal(5, 4 * 48000), query));

  EXPECT_FALSE(session.PlayQuery());
  EXPECT_TRUE(session.SaveQuery(".dat").isEmpty());
  EXPECT_FALSE(session.OpenQuery(query));  // nothing loads before the start
  EXPECT_EQ(dialogs.messages.mid(0, 2), QStringList({"Нет аудио запроса!", "Ошибка сохранения аудио данных!"}));
  EXPECT_TRUE(dialogs.messages.value(2).startsWith("База данных не выбрана: ")) << dialogs.messages.size();

  session.Start();
  ASSERT_TRUE(testing::SpinUntil([&] { return session.IndexLoaded(); }));
  ASSERT_TRUE(session.OpenQuery(query));
  session.WaitForSearch();
  EXPECT_TRUE(session.PlayQuery());
  EXPECT_EQ(QFileInfo(dir.Path("data/audioquery.wav")).size(), 44 + 2 * 4 * 48000);
  const QString saved = session.SaveQuery(".wav");
  EXPECT_TRUE(QFileInfo(saved).isFile());
  EXPECT_EQ(QFileInfo(saved).absolutePath(), dir.Path("data/queries"));

  session.Settings().playbackFile = dir.Path("no such folder/audioquery.wav");
  EXPECT_FALSE(session.PlayQuery());
  EXPECT_EQ(dialogs.messages.last(), "Ошибка сохранения временного аудио файла!");
}

// The machine here has no microphone: this platform names one that never opens.
class OneMicrophone : public QtAudioPlatform {
 public:
  QStringList RecordingDevices() override { return {QStringLiteral("Микрофон")}; }
  bool OpenRecording(int32_t) override { return false; }
};

TEST(SearcherSession, AMicrophoneChoosesTheRobustModeAndTheComputersOutputGetsItsOwnBack) {
  TempDir dir;
  RecordingDialogs dialogs;
  OneMicrophone platform;
  QDir().mkpath(dir.Path("data"));
  SearcherSettings settings = SearcherSettings::For(PathsIn(dir));
  settings.databasePath = dir.Path("no landmarks.db");
  testing::Sqlite3(settings.databasePath, "CREATE TABLE Data (id INTEGER, index_data BLOB);");
  SearcherSession session(settings, platform, dialogs);
  QList<SearchMode> heard;
  session.onModeChanged = [&](SearchMode mode) { heard.append(mode); };
  session.Start();
  ASSERT_TRUE(testing::SpinUntil([&] { return session.IndexLoaded(); }));
  ASSERT_EQ(session.Sound().Sources().size(), 2);

  session.SetMode(SearchMode::Thorough);
  session.SelectSource(1);
  EXPECT_EQ(session.Mode(), SearchMode::Robust);
  EXPECT_EQ(session.Parameters().analysis, QueryAnalysis::Landmarks);
  session.SetMode(SearchMode::Scrupulous);  // choosing the microphone again chooses the robust mode again
  session.SelectSource(1);
  EXPECT_EQ(session.Mode(), SearchMode::Robust);
  session.SelectSource(0);
  EXPECT_EQ(session.Mode(), SearchMode::Thorough);
  EXPECT_EQ(heard, QList<SearchMode>({SearchMode::Robust, SearchMode::Robust, SearchMode::Thorough}));

  // The robust mode over a database without landmarks says how to add them.
  dialogs.messages.clear();
  session.SetMode(SearchMode::Robust);
  EXPECT_EQ(session.Search(), LiveSearch::Outcome::NotLoaded);
  EXPECT_FALSE(session.ToggleAutomatic());
  ASSERT_EQ(dialogs.messages.size(), 2);
  EXPECT_TRUE(dialogs.messages[0].startsWith("В базе данных нет ориентиров для устойчивого поиска")) << dialogs.messages[0].toStdString();
  session.Shutdown();
}

TEST(SearcherSession, AFileThatIsNoDatabaseIsNotLoaded) {
  TempDir dir;
  RecordingDialogs dialogs;
  QtAudioPlatform platform;
  SearcherSettings settings = SearcherSettings::For(PathsIn(dir));
  settings.databasePath = dir.Write("notes.db", "just some text, long enough to be no database at all");
  SearcherSession session(settings, platform, dialogs);
  EXPECT_FALSE(session.ConnectDataBase());
  EXPECT_EQ(dialogs.messages, QStringList{"Ошибка подключения к базе данных!"});
  EXPECT_FALSE(session.IndexLoaded());
}

TEST(ImageSearchAddress, TheWholeTitleIsTheSearchText) {
  for (const QString title : {"Simon & Garfunkel - The Boxer #1", "Кино - Группа крови - 1988"}) {
    const QUrl address(ImageSearchAddress(title));
    EXPECT_EQ(QUrlQuery(address).queryItemValue("text", QUrl::FullyDecoded), title);
  }
}

}  // namespace
}  // namespace melo
