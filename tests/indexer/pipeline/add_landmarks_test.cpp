#include "base/log_writer.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/add_landmarks.h"
#include "indexer/pipeline/process_media_file.h"
#include "tests/support/media_files.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::Sqlite3;
using testing::TempDir;

// A database indexed by the real worker from five tracks (a song, a film of two
// streams, a WAV and an Ogg), whose landmarks the tests then take away.
class AddLandmarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // sox dithers with a fresh random seed on each run; its repeatable mode makes
    // two decodings of a file alike to the bit, as the comparisons here need.
    previousSoxOptions = qgetenv("SOX_OPTS");
    qputenv("SOX_OPTS", "-R");
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(Db()));
    ASSERT_TRUE(store.CreateTable());
    QDir().mkpath(dir.Path("work/0"));
    QDir().mkpath(dir.Path("lib"));
    const QString first = testing::MakeMelody(dir, "voices/one.ogg", 36, 2);
    const QString second = testing::MakeMelody(dir, "voices/two.ogg", 36, 3);
    ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "color=c=blue:s=64x48:r=5:d=36", "-i", first, "-i", second,
                                 "-map", "0", "-map", "1", "-map", "2", "-c:a", "flac", dir.Path("lib/film.mkv")}));
    const QStringList files = {testing::MakeMelody(dir, "lib/song.mp3", 35, 1), dir.Path("lib/film.mkv"),
                               testing::MakeMelody(dir, "lib/take.wav", 31, 4),
                               testing::MakeMelody(dir, "lib/tune.ogg", 33, 5)};
    const WorkerSettings worker{"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work"), true, TOOLS_DIR, {}};
    for (const QString& file : files) {
      ProcessMediaFile indexing(store, worker, file, 0);
      indexing.Start();
      ASSERT_TRUE(indexing.WaitFor(120000));
      ASSERT_EQ(indexing.Message(), "") << file.toStdString();
    }
    ASSERT_EQ(Sqlite3(Db(), "SELECT count(*) FROM Landmarks WHERE count > 100"), "5");
    indexed = Landmarks();
    data = DataRows();
  }
  void TearDown() override {
    SetMyLogPath({});
    qputenv("SOX_OPTS", previousSoxOptions);
  }

  QString Db() const { return dir.Path("base.db"); }
  QString Landmarks() { return Sqlite3(Db(), "SELECT id, version, frames, count, hex(data) FROM Landmarks ORDER BY id"); }
  QString DataRows() { return Sqlite3(Db(), "SELECT *, hex(index_data) FROM Data ORDER BY id"); }
  QString IdsWithLandmarks() { return Sqlite3(Db(), "SELECT group_concat(id) FROM (SELECT id FROM Landmarks ORDER BY id)"); }

  struct Outcome {
    AddLandmarks::Counts counts;
    QStringList skipped;  // "id reason"
    bool toTheEnd = false;
  };
  // Runs the adding; `stopAfter` stored rows ask it to stop.
  Outcome Add(int stopAfter = -1) {
    AddLandmarks run(store, {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work")}, dir.Path("work/0"));
    Outcome outcome;
    int stored = 0;
    bool finished = false;
    run.onStored = [&](int32_t) {
      EXPECT_EQ(store.LockId(), -1);  // not held between rows
      if (++stored == stopAfter) run.Terminate();
    };
    run.onSkipped = [&](const SkippedRow& row) {
      outcome.skipped << QStringLiteral("%1 %2").arg(row.id).arg(static_cast<int>(row.reason));
    };
    run.onFinish = [&] { finished = true; };
    run.Start();
    EXPECT_TRUE(run.WaitFor(300000));
    EXPECT_TRUE(finished);
    outcome.counts = run.GetCounts();
    outcome.toTheEnd = run.RanToTheEnd();
    // Nothing of the sources stays in the work folder.
    EXPECT_TRUE(QDir(dir.Path("work/0")).entryList(QDir::Files).isEmpty());
    return outcome;
  }

  QByteArray previousSoxOptions;
  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
  QString indexed;
  QString data;
};

// Rows without landmarks, with landmarks of another version and with damaged ones
// get exactly what indexing stored; a row whose landmarks are fine is not touched.
TEST_F(AddLandmarksTest, RowsGetExactlyWhatIndexingGaveThem) {
  Sqlite3(Db(), "DELETE FROM Landmarks WHERE id IN (1, 3);"
                "UPDATE Landmarks SET version = 0 WHERE id = 2;"
                "UPDATE Landmarks SET data = substr(data, 5) WHERE id = 4;");
  const Outcome outcome = Add();
  EXPECT_TRUE(outcome.toTheEnd);
  EXPECT_TRUE(outcome.skipped.isEmpty()) << outcome.skipped.join(", ").toStdString();
  EXPECT_EQ(outcome.counts.rows, 5);
  EXPECT_EQ(outcome.counts.without, 4);
  EXPECT_EQ(outcome.counts.added, 4);
  EXPECT_EQ(Landmarks(), indexed);
  EXPECT_EQ(DataRows(), data);
}

// A source that moved, one of another size and one of the same size but other
// bytes are listed; their rows stay without landmarks and nothing else changes.
TEST_F(AddLandmarksTest, MovedAndChangedSourcesAreListedAndNothingElseChanges) {
  Sqlite3(Db(), "DROP TABLE Landmarks");
  ASSERT_TRUE(QFile::rename(dir.Path("lib/song.mp3"), dir.Path("lib/moved.mp3")));
  QFile longer(dir.Path("lib/take.wav"));
  ASSERT_TRUE(longer.open(QIODevice::Append));
  longer.write("x");
  longer.close();
  QFile same(dir.Path("lib/tune.ogg"));
  ASSERT_TRUE(same.open(QIODevice::ReadWrite));
  same.seek(same.size() - 10);
  same.write("0123456789");
  same.close();

  const Outcome outcome = Add();
  const int missing = static_cast<int>(SkippedRow::Reason::SourceMissing);
  const int changed = static_cast<int>(SkippedRow::Reason::SourceChanged);
  EXPECT_EQ(outcome.skipped, QStringList({QStringLiteral("1 %1").arg(missing), QStringLiteral("4 %1").arg(changed),
                                          QStringLiteral("5 %1").arg(changed)}));
  EXPECT_EQ(outcome.counts.added, 2);
  EXPECT_EQ(outcome.counts.skipped, 3);
  EXPECT_TRUE(outcome.toTheEnd);
  // The film's two streams, as indexing stored them (the table made anew).
  EXPECT_EQ(Landmarks(), indexed.split('\n').mid(1, 2).join('\n'));
  EXPECT_EQ(DataRows(), data);
}

TEST_F(AddLandmarksTest, AStoppedRunKeepsWhatItStoredAndARerunContinues) {
  Sqlite3(Db(), "DELETE FROM Landmarks");
  const Outcome stopped = Add(2);
  EXPECT_FALSE(stopped.toTheEnd);
  EXPECT_EQ(stopped.counts.added, 2);
  // By source path: the film's streams first.
  EXPECT_EQ(IdsWithLandmarks(), "2,3");
  const Outcome rerun = Add();
  EXPECT_TRUE(rerun.toTheEnd);
  EXPECT_EQ(rerun.counts.without, 3);
  EXPECT_EQ(rerun.counts.added, 3);
  EXPECT_EQ(Landmarks(), indexed);
  EXPECT_EQ(Add().counts.without, 0);  // nothing left to do
  EXPECT_EQ(DataRows(), data);
}

// A row whose audio decodes to another length than it has is not the track its
// fingerprint was made from: it is listed rather than given landmarks.
TEST_F(AddLandmarksTest, ARowOfAnotherLengthIsNotGivenLandmarks) {
  Sqlite3(Db(), "DELETE FROM Landmarks WHERE id = 4; UPDATE Data SET records = records + 1 WHERE id = 4");
  const QString changedData = DataRows();
  const Outcome outcome = Add();
  EXPECT_EQ(outcome.skipped, QStringList({QStringLiteral("4 %1").arg(static_cast<int>(SkippedRow::Reason::DecodingFailed))}));
  EXPECT_EQ(IdsWithLandmarks(), "1,2,3,5");
  EXPECT_EQ(DataRows(), changedData);
  EXPECT_TRUE(TempDir::Read(dir.Path("my.log")).contains("row 4: decoded"));
}

}  // namespace
}  // namespace melo
