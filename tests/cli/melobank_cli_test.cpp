#include "base/sample_files.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/record_store.h"
#include "synth/music_like_signal.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/program_run.h"
#include "tests/support/read_only_path.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace melo {
namespace {

using CliRun = testing::ProgramRun;
using testing::TempDir;

CliRun Cli(const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  return testing::RunProgram(QStringLiteral(MELOBANK_CLI), arguments, environment);
}

class FingerprintCommand : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

TEST_F(FingerprintCommand, PrintsTheRecordsOfAToneTrackAndTheKeyPointsOfAQuery) {
  const auto tone = synth::FrameTone(16, 10000, 30 * 48000);
  ASSERT_TRUE(SaveWavSamples(tone, dir.Path("tone.wav")));
  ASSERT_TRUE(SaveRawSamples(tone, dir.Path("tone.dat")));
  const CliRun wav = Cli({"fingerprint", dir.Path("tone.wav")});
  ASSERT_EQ(wav.exitCode, 0) << wav.errors.toStdString();
  ASSERT_EQ(wav.lines.size(), 60);
  EXPECT_EQ(wav.lines.mid(0, 3), QStringList({"0 96 55560 0 0 0 0 0 0 0 0", "1 32 55560 50 0 0 0 0 0 0 0",
                                              "2 32 9976 50 0 0 0 0 0 0 0"}));
  EXPECT_EQ(Cli({"fingerprint", dir.Path("tone.dat")}).lines, wav.lines);

  // A 4 s tone: window 0 finds 96 (too near the start); window m finds 4800m + 32.
  ASSERT_TRUE(SaveWavSamples(synth::FrameTone(16, 10000, 4 * 48000), dir.Path("q.wav")));
  const CliRun query = Cli({"fingerprint", "--query", dir.Path("q.wav")});
  ASSERT_EQ(query.exitCode, 0) << query.errors.toStdString();
  ASSERT_EQ(query.lines.size(), 20);
  EXPECT_EQ(query.lines[0], "4832 10000 50 0 0 0 0 0 0 0");
  EXPECT_EQ(query.lines[19], "96032 10000 50 0 0 0 0 0 0 0");
}

TEST_F(FingerprintCommand, RefusedInputExitsWithStatusTwoAndSaysWhy) {
  ASSERT_TRUE(SaveWavSamples(synth::FrameTone(16, 10000, 48000 * 29), dir.Path("short.wav")));
  ASSERT_TRUE(SaveWavSamples(std::vector<int16_t>(48000 * 4, 0), dir.Path("silence.wav")));
  ASSERT_TRUE(SaveWavSamples(std::vector<int16_t>(10, 1), dir.Path("song.mp3")));
  const struct {
    QStringList arguments;
    const char* said;
  } cases[] = {
      {{"fingerprint", dir.Path("missing.wav")}, "not found"},
      {{"fingerprint", dir.Path("song.mp3")}, "unknown file type"},
      {{"fingerprint", dir.Path("short.wav")}, "1440000"},
      {{"fingerprint", "--query", dir.Path("silence.wav")}, "0 key points"},
      {{"fingerprint"}, "FILE"},
      {{"no-such-command"}, "unknown command"},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(run.errors.contains(QLatin1String(c.said))) << run.errors.toStdString();
    EXPECT_TRUE(run.lines.isEmpty());
  }
}

TEST(DatabaseCommands, CreateListShowClear) {
  testing::TempDir dir;
  const QString db = dir.Path("base.db");
  ASSERT_EQ(Cli({"create", db}).exitCode, 0);
  const CliRun again = Cli({"create", db});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_TRUE(again.errors.contains("already holds the table")) << again.errors.toStdString();
  {
    testing::RecordingDialogs dialogs;
    TDataModule1 store(dialogs);
    ASSERT_TRUE(store.OpenDatabase(db));
    TrackInfo t;
    t.md5 = "m";
    t.source_size = 1234567;
    t.source_path = "/музыка/Фильм.mkv";
    t.source_file_name = "Фильм";
    t.extension = "mkv";
    t.type = "видео";
    t.all_tracks = 2;
    t.duration = 3725;
    t.records = 60;
    t.info = "Artist: Кино";
    const std::vector<uint8_t> records(720, 1);
    ASSERT_EQ(store.InsertSQL(t, records), 0);
    t.audio_track = 1;
    ASSERT_EQ(store.InsertSQL(t, records), 0);
  }
  EXPECT_EQ(Cli({"list", db}).lines, QStringList({"1\tФильм [1]", "2\tФильм [2]"}));
  const CliRun show = Cli({"show", db, "2"});
  ASSERT_EQ(show.exitCode, 0);
  EXPECT_EQ(show.lines, QStringList({"Имя исходника=Фильм", "Исходный файл=/музыка/Фильм.mkv",
                                     "Размер исходника=1 234 567", "SHA2 хэш=", "MD5 хэш=m",
                                     "Продолжительность=1:02:05 (3 725 сек)", "Расширение=mkv", "Тип=видео",
                                     "Номер аудио дорожки=2", "Всего аудио дорожек=2", "Дата создания=",
                                     "Размер индексного файла=720",
                                     "Ориентиров=нет (добавьте их командой «Добавить ориентиры в базу данных»)",
                                     "Дополнительная информация=Artist: Кино"}));
  EXPECT_EQ(Cli({"show", db, "9"}).exitCode, 2);
  EXPECT_EQ(Cli({"show", db, "nine"}).exitCode, 2);
  EXPECT_EQ(Cli({"vacuum", db}).exitCode, 0);
  EXPECT_EQ(Cli({"clear", db}).exitCode, 0);
  EXPECT_TRUE(Cli({"list", db}).lines.isEmpty());

  const CliRun missing = Cli({"list", dir.Path("absent.db")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_FALSE(QFile::exists(dir.Path("absent.db")));
}

TEST(IndexCommand, IndexesFoldersAndReportsEveryFile) {
  testing::TempDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_DATA_HOME", dir.Path("data"));  // work folders go to this trash
  ASSERT_FALSE(testing::MakeTone(dir, "music/Первая песня.mp3", 31, 400).isEmpty());
  ASSERT_FALSE(testing::MakeTone(dir, "music/sub/second.flac", 31, 600).isEmpty());
  ASSERT_FALSE(testing::MakeTone(dir, "music/sub/LOUD.MP3", 31, 800).isEmpty());
  const QString db = dir.Path("index.db");

  const CliRun run = Cli({"index", "--db", db, "--threads", "2", dir.Path("music")}, environment);
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  EXPECT_TRUE(run.errors.contains("Не добавлено в очередь (повтор или неподходящий тип): 1"));
  EXPECT_EQ(run.lines.mid(0, 2), QStringList({"обработан\t" + dir.Path("music/Первая песня.mp3"),
                                              "обработан\t" + dir.Path("music/sub/second.flac")}));
  EXPECT_EQ(run.lines.value(2), "Файлов: 2, обработано: 2, ошибок: 0, проиндексировано ранее: 0");
  EXPECT_EQ(Cli({"list", db}).lines.size(), 2);

  const CliRun again = Cli({"index", "--db", db, dir.Path("music/sub/second.flac"),
                            dir.Write("bad.ogg", "junk")},
                           environment);
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(again.lines.value(0), "уже проиндексирован\t" + dir.Path("music/sub/second.flac"));
  EXPECT_EQ(again.lines.value(1), "ошибка\t" + dir.Path("bad.ogg") + "\tОшибка конвертирования в DAT формат!");

  const CliRun noSox = Cli({"index", "--db", db, "--sox", dir.Path("no-sox"), dir.Path("music")}, environment);
  EXPECT_EQ(noSox.exitCode, 2);
  EXPECT_TRUE(noSox.errors.contains("Отсутствует утилита SOX!"));
  EXPECT_EQ(Cli({"index", "--db", db, dir.Path("nowhere")}, environment).exitCode, 2);
}

// An ordinary user's database he may not write, or in a folder he may not write:
// refused before anything is decoded. (Root writes both: the file system's rule.)
TEST(IndexCommand, ADatabaseThatCannotBeWrittenIsRefusedBeforeAnyDecoding) {
  if (testing::AsOrdinaryUser(MELOBANK_CLI, {}).isEmpty()) GTEST_SKIP() << "no way to run as an ordinary user";
  testing::TempDir dir;
  const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
  const auto unwritable = everyone & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther);
  QFile::setPermissions(dir.Path(), everyone);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", dir.Path());
  environment.insert("XDG_DATA_HOME", dir.Path("data"));
  // The tools leave a mark when they are started.
  QStringList tools;
  for (const QByteArray tool : {"ffmpeg", "sox"}) {
    tools << testing::MakeScript(dir, tool, "touch '" + dir.Path("decoded").toUtf8() + "'; exec " + tool + " \"$@\"");
    QFile::setPermissions(tools.last(), everyone);
  }
  const QString tone = testing::MakeTone(dir, "tone.ogg", 31, 440);
  for (const char* folder : {"work", "data", "ro-file", "ro-folder"}) {
    QDir().mkpath(dir.Path(folder));
    QFile::setPermissions(dir.Path(folder), everyone);
  }
  for (const char* database : {"ro-file/base.db", "ro-folder/base.db"}) {
    ASSERT_EQ(Cli({"create", dir.Path(database)}).exitCode, 0);
  }
  QFile::setPermissions(dir.Path("ro-file/base.db"), unwritable);
  QFile::setPermissions(dir.Path("ro-folder/base.db"), everyone);
  QFile::setPermissions(dir.Path("ro-folder"), unwritable);

  const struct {
    const char* database;
    QString said;
  } cases[] = {
      {"ro-file/base.db", "База данных доступна только для чтения: " + dir.Path("ro-file/base.db")},
      {"ro-folder/base.db", "Нет права на запись в каталог базы данных: " + dir.Path("ro-folder")},
  };
  for (const auto& c : cases) {
    const QStringList command = testing::AsOrdinaryUser(
        MELOBANK_CLI, {"index", "--db", dir.Path(c.database), "--work-dir", dir.Path("work"), "--ffmpeg", tools[0],
                       "--sox", tools[1], tone});
    const CliRun run = testing::RunProgram(command[0], command.mid(1), environment);
    EXPECT_EQ(run.exitCode, 2) << c.database;
    EXPECT_TRUE(run.errors.contains(c.said)) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(dir.Path("decoded"))) << c.database;
  }
  QFile::setPermissions(dir.Path("ro-folder"), everyone);
}

TEST(CheckAndImportCommands, ExitStatusesTellFindingsFromFailures) {
  testing::TempDir dir;
  const QString db = dir.Path("main.db"), source = dir.Path("source.db");
  for (const QString& path : {db, source}) {
    testing::RecordingDialogs dialogs;
    TDataModule1 store(dialogs);
    ASSERT_TRUE(store.OpenDatabase(path));
    ASSERT_TRUE(store.CreateTable());
    TrackInfo t;
    t.md5 = path == db ? "shared" : "new";
    t.source_path = path == db ? dir.Write("here.mp3") : dir.Path("gone.mp3");
    t.records = 70;
    ASSERT_EQ(store.InsertSQL(t, std::vector<uint8_t>(840, 1)), 0);
    if (path == source) {
      t.md5 = "shared";
      t.source_path = dir.Path("here.mp3");
      ASSERT_EQ(store.InsertSQL(t, std::vector<uint8_t>(840, 1)), 0);
    }
  }
  const QStringList onlySources = {"check",    "--no-duplicates", "--no-empty", "--no-values",
                                   "--no-sizes", "--no-landmarks",  "--sources"};
  const CliRun clean = Cli(onlySources + QStringList{db});
  EXPECT_EQ(clean.exitCode, 0);
  EXPECT_EQ(clean.lines, QStringList({"Количество сообщений: 0"}));
  const CliRun missing = Cli(onlySources + QStringList{source});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.lines, QStringList({"Id=1\tИсходный файл не найден: " + dir.Path("gone.mp3"), "Количество сообщений: 1"}));
  EXPECT_EQ(Cli({"check", dir.Path("none.db")}).exitCode, 2);

  const CliRun import = Cli({"import", db, source});
  EXPECT_EQ(import.exitCode, 0) << import.errors.toStdString();
  EXPECT_TRUE(import.lines.first().startsWith("Дубликат: MD5-хэш = shared"));
  EXPECT_EQ(import.lines.mid(1),
            QStringList({"Обработано записей: 2 из 2", "Проигнорировано дубликатов: 1", "Удалено записей: 0",
                         "Добавлено новых записей: 1",
                         "Добавлено записей без ориентиров: 1 (добавьте их командой «Добавить ориентиры в базу данных»)"}));
  EXPECT_TRUE(import.errors.contains("Задание выполнено!"));
  EXPECT_EQ(Cli({"import", db, dir.Write("junk.db", QByteArray(3000, 'j'))}).exitCode, 2);

  // The database itself, by any path: every row would be deleted and stored anew.
  ASSERT_TRUE(QFile::link(db, dir.Path("symbolic.db")));
  ASSERT_EQ(::link(QFile::encodeName(db).constData(), QFile::encodeName(dir.Path("hard.db")).constData()), 0);
  for (const QString& itself : {db, dir.Path("./main.db"), dir.Path("symbolic.db"), dir.Path("hard.db")}) {
    const CliRun refused = Cli({"import", "--replace", db, itself});
    EXPECT_EQ(refused.exitCode, 2) << itself.toStdString();
    EXPECT_TRUE(refused.errors.contains("cannot be imported into itself")) << refused.errors.toStdString();
  }
  EXPECT_EQ(testing::Sqlite3(db, "SELECT group_concat(id) FROM (SELECT id FROM Data ORDER BY id)"), "1,2");
}

// Rows "1".."n" by sqlite3 into a new database: source file name `name` + n.
void FillRows(const QString& db, int n, const QString& name) {
  ASSERT_EQ(Cli({"create", db}).exitCode, 0);
  testing::Sqlite3(db, QStringLiteral("WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < %1) "
                                      "INSERT INTO Data (source_size, sha2, md5, duration, source_path, "
                                      "source_file_name, extension, type, audio_track, all_tracks, created, info, "
                                      "records, index_data) SELECT 1000, 's', 'm' || n, 30, '/m/' || n, '%2' || n, "
                                      "'mp3', 'аудио', 0, 1, 'c', '', 60, zeroblob(720) FROM k")
                               .arg(n)
                               .arg(name));
}

TEST(MelobankCli, ExitStatusesAndMessagesSayWhatHappened) {
  testing::TempDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_DATA_HOME", dir.Path("data"));
  const QString db = dir.Path("main.db"), work = dir.Path("work");
  QDir().mkpath(work);
  ASSERT_EQ(Cli({"create", db}).exitCode, 0);
  FillRows(dir.Path("unreadable.db"), 2, "x");
  testing::Sqlite3(dir.Path("unreadable.db"), "UPDATE Data SET index_data = x'00' WHERE id = 2");
  const QString video = testing::MakeVideo(dir, "whole.mp4", 3, {440});
  const QString cut = dir.Write("cut.mp4", TempDir::Read(video).left(20000));
  // Another run holds the work folder "busy" (flock(1) takes the same kind of lock).
  QDir().mkpath(dir.Path("busy"));
  QProcess otherRun;
  otherRun.start("flock", {dir.Path("busy/.melobank.lock"), "sleep", "60"});
  ASSERT_TRUE(otherRun.waitForStarted());
  const struct {
    QStringList arguments;
    int exitCode;
    QStringList said;  // on stdout or stderr
  } cases[] = {
      {{"import", db, dir.Path("unreadable.db")}, 1, {"Записей с ошибками: 1", "Задание выполнено с ошибками!"}},
      {{"index", "--db", db, "--work-dir", work, cut}, 1,
       {"ошибка\t" + cut + "\tОшибка определения количества аудио дорожек!\t", "moov atom not found"}},
      {{"index", "--db", db, "--work-dir", dir.Path("busy"), cut}, 2,
       {"Рабочий каталог занят другой индексацией: " + dir.Path("busy")}},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(c.arguments, environment);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
    for (const QString& said : c.said) {
      EXPECT_TRUE((run.lines.join('\n') + run.errors).contains(said)) << said.toStdString();
    }
  }
  otherRun.kill();
  otherRun.waitForFinished();

  // Another program writing the database: the insertion fails with its cause.
  QProcess writer;
  writer.start("sqlite3", {db});
  ASSERT_TRUE(writer.waitForStarted());
  writer.write("BEGIN IMMEDIATE; SELECT 'held';\n");
  writer.waitForReadyRead(5000);
  const CliRun locked =
      Cli({"index", "--db", db, "--work-dir", work, testing::MakeTone(dir, "t.ogg", 31, 440)}, environment);
  writer.write("ROLLBACK;\n.quit\n");
  writer.waitForFinished();
  EXPECT_EQ(locked.exitCode, 1);
  EXPECT_TRUE(locked.lines.value(0).endsWith("\tОшибка выполнения запроса!\tdatabase is locked"))
      << locked.lines.value(0).toStdString();
}

// A clear or an import from another program would delete or rewrite rows under a
// run that goes on storing: both are refused until the run has ended.
TEST(MelobankCli, ClearAndImportAreRefusedWhileARunStoresIntoTheDatabase) {
  testing::TempDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_DATA_HOME", dir.Path("data"));
  const QString db = dir.Path("main.db"), source = dir.Path("source.db");
  ASSERT_EQ(Cli({"create", db}).exitCode, 0);
  FillRows(source, 2, "x");
  const QString one = testing::MakeTone(dir, "one.ogg", 31, 440), two = testing::MakeTone(dir, "two.ogg", 31, 550);
  const QString slowSox = testing::MakeScript(dir, "slow-sox", "sleep 2; exec sox \"$@\"");
  QDir().mkpath(dir.Path("work"));
  QProcess run;
  run.setProcessEnvironment(environment);
  run.start(QStringLiteral(MELOBANK_CLI), {"index", "--db", db, "--work-dir", dir.Path("work"), "--threads", "1",
                                           "--sox", slowSox, one, two});
  ASSERT_TRUE(testing::SpinUntil(
      [&] { return QDir(dir.Path("work/0")).exists() || run.state() == QProcess::NotRunning; }));
  ASSERT_EQ(run.state(), QProcess::Running) << run.readAllStandardError().toStdString();

  for (const QStringList& arguments : {QStringList{"clear", db}, QStringList{"import", db, source}}) {
    const CliRun refused = Cli(arguments, environment);
    EXPECT_EQ(refused.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(refused.errors.contains("an indexing run is storing into this database"))
        << refused.errors.toStdString();
  }
  ASSERT_TRUE(run.waitForFinished(120000));
  EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
  EXPECT_EQ(testing::Sqlite3(db, "SELECT group_concat(source_file_name) FROM Data"), "one,two");

  EXPECT_EQ(Cli({"import", db, source}, environment).exitCode, 0);
  EXPECT_EQ(Cli({"clear", db}, environment).exitCode, 0);
  EXPECT_EQ(testing::Sqlite3(db, "SELECT count(*) FROM Data"), "0");
}

TEST(MelobankCli, ControlCharactersInNamesAreShownNotObeyed) {
  testing::TempDir dir;
  const QString db = dir.Path("names.db");
  FillRows(db, 3, "x");
  testing::Sqlite3(db, "UPDATE Data SET source_file_name = 'a' || char(27) || '[2J', source_path = '/gone' || char(10) "
                       "|| 'x' WHERE id = 1; UPDATE Data SET source_file_name = 'b' || char(9) || 'c' WHERE id = 2");
  EXPECT_EQ(Cli({"list", db}).lines, QStringList({"1\ta\\u001b[2J", "2\tb\\tc", "3\tx3"}));
  const CliRun check = Cli({"check", "--no-duplicates", "--no-empty", "--no-values", "--no-sizes", "--sources", db});
  EXPECT_EQ(check.lines.value(0), "Id=1\tИсходный файл не найден: /gone\\nx");
}

TEST(MelobankCli, CtrlCStopsAnImportAndKeepsWhatWasCopied) {
  testing::TempDir dir;
  const QString db = dir.Path("main.db"), source = dir.Path("source.db");
  FillRows(source, 30000, "x");
  QFile::copy(source, db);  // every row a duplicate: one line each
  QProcess import;
  import.start(QStringLiteral(MELOBANK_CLI), {"import", db, source});
  ASSERT_TRUE(import.waitForReadyRead(60000));
  ::kill(static_cast<pid_t>(import.processId()), SIGTERM);
  ASSERT_TRUE(import.waitForFinished(60000));
  EXPECT_EQ(import.exitCode(), 1);
  const QString out = QString::fromUtf8(import.readAllStandardOutput());
  EXPECT_TRUE(QString::fromUtf8(import.readAllStandardError()).contains("Импорт остановлен!"));
  EXPECT_FALSE(out.contains("Обработано записей: 30000 из 30000"));
}

}  // namespace
}  // namespace melo

namespace melo {
namespace {

// The exit status says whether every row has landmarks now (0), rows were left
// without (1), or the command could not run (2).
TEST(LandmarksCommand, AddsMissingLandmarksAndTellsWhatItCouldNotDo) {
  TempDir dir;
  const QString db = dir.Path("main.db"), song = testing::MakeMelody(dir, "song.mp3", 35, 1);
  ASSERT_EQ(Cli({"index", "--db", db, song}).exitCode, 0);
  const QStringList arguments = {"landmarks", "--db", db, "--work-dir", dir.Path()};
  const CliRun nothing = Cli(arguments);
  EXPECT_EQ(nothing.exitCode, 0) << nothing.errors.toStdString();
  EXPECT_EQ(nothing.lines, QStringList({"rows: 1, without landmarks: 0, landmarks added: 0, rows listed: 0"}));

  testing::Sqlite3(db, "DELETE FROM Landmarks");
  ASSERT_TRUE(QFile::rename(song, dir.Path("moved.mp3")));
  const CliRun moved = Cli(arguments);
  EXPECT_EQ(moved.exitCode, 1);
  EXPECT_EQ(moved.lines, QStringList({"id 1: source file not found: " + song,
                                      "rows: 1, without landmarks: 1, landmarks added: 0, rows listed: 1"}));
  ASSERT_TRUE(QFile::rename(dir.Path("moved.mp3"), song));
  const CliRun added = Cli(arguments);
  EXPECT_EQ(added.exitCode, 0) << added.errors.toStdString();
  EXPECT_EQ(added.lines.last(), "rows: 1, without landmarks: 1, landmarks added: 1, rows listed: 0");
  EXPECT_EQ(testing::Sqlite3(db, "SELECT count(*) FROM Landmarks WHERE count > 100"), "1");
  const CliRun shown = Cli({"show", db, "1"});
  EXPECT_TRUE(shown.lines.filter(QRegularExpression("^Ориентиров=[1-9][0-9 ]*$")).size() == 1)
      << shown.lines.join('\n').toStdString();

  // Refusals: no database, one an indexing run holds, one that cannot be written.
  const CliRun none = Cli({"landmarks", "--db", dir.Path("none.db")});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_TRUE(none.errors.contains("no such database file")) << none.errors.toStdString();
  {
    DatabaseFileLock indexing;
    ASSERT_TRUE(indexing.Take(db, DatabaseFileLock::Use::Indexing));
    const CliRun busy = Cli(arguments);
    EXPECT_EQ(busy.exitCode, 2);
    EXPECT_TRUE(busy.errors.contains("an indexing run, a clear or an import holds this database"))
        << busy.errors.toStdString();
  }
  testing::Sqlite3(db, "DELETE FROM Landmarks");
  const QByteArray before = TempDir::Read(db);
  {
    const testing::ReadOnlyPath readOnly(db);
    if (!readOnly.Made()) GTEST_SKIP() << "nothing can be made read-only here";
    const CliRun refused = Cli(arguments);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("the database is read-only")) << refused.errors.toStdString();
  }
  EXPECT_EQ(TempDir::Read(db), before);
}

}  // namespace
}  // namespace melo
