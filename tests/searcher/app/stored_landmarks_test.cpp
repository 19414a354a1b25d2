#include "searcher/app/stored_landmarks.h"

#include "landmarks/landmark_blob.h"
#include "landmarks/peak_pairs.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "trackdb/schema.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

landmarks::Landmark At(int32_t anchorBin, int32_t partnerBin, int32_t delta, int32_t frame) {
  return {landmarks::PairHash(anchorBin, partnerBin, delta), frame};
}

StoredTrackLandmarks Stored(std::vector<landmarks::Landmark> marks) {
  StoredTrackLandmarks s;
  s.readable = true;
  s.state = StoredLandmarks::Read;
  s.frames = 5000;
  s.landmarks = std::move(marks);
  return s;
}

// A query landmark meets its twin as a search's look-ups do: within a frame of
// the aligned frame, with the frame delta one shorter or longer; nothing else.
TEST(AlignLandmarks, ATwinIsTheSameShapeWithinAFrameOfTheAlignedPlace) {
  constexpr int32_t kOffset = 1000;
  const landmarks::Landmark query = At(256, 288, 10, 30);
  struct Row {
    const char* what;
    landmarks::Landmark stored;
    int32_t twinFrame;  // -1: none
  };
  for (const Row& row : {Row{"the same place", At(256, 288, 10, 1030), 1030},
                         Row{"a frame later", At(256, 288, 10, 1031), 1031},
                         Row{"a frame earlier", At(256, 288, 10, 1029), 1029},
                         Row{"two frames later", At(256, 288, 10, 1032), -1},
                         Row{"the partner a frame later", At(256, 288, 11, 1030), 1030},
                         Row{"the partner two frames later", At(256, 288, 12, 1030), -1},
                         Row{"another partner note", At(256, 292, 10, 1030), -1},
                         Row{"another anchor note", At(264, 296, 10, 1030), -1}}) {
    const LandmarkAlignment a = AlignLandmarks(std::vector{query}, 300, Stored({row.stored}), kOffset);
    ASSERT_EQ(a.landmarks.size(), 1u) << row.what;
    EXPECT_EQ(a.landmarks[0].storedFrame, row.twinFrame) << row.what;
    EXPECT_EQ(a.matched, row.twinFrame >= 0 ? 1 : 0) << row.what;
  }
}

TEST(AlignLandmarks, CountsTheTracksLandmarksUnderTheQueryOnly) {
  const StoredTrackLandmarks track = Stored({At(300, 320, 5, 99), At(300, 320, 5, 100), At(300, 320, 5, 399),
                                             At(300, 320, 5, 400)});
  EXPECT_EQ(AlignLandmarks({}, 300, track, 100).storedInSpan, 2);
  EXPECT_EQ(track.Between(100, 100).size(), 0u);
}

// What a track's row holds, as the windows say it when they cannot show them.
TEST(StoredTrackLandmarks, ARowsLandmarksAreReadOrTheWindowsSayWhyNot) {
  testing::TempDir dir;
  const QString database = dir.Path("landmarks.db");
  const std::vector<uint8_t> blob = landmarks::EncodeLandmarks(std::vector{At(256, 288, 10, 30), At(300, 320, 5, 99)});
  QString hex;
  for (const uint8_t b : blob) hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
  testing::Sqlite3(database, QStringLiteral("CREATE TABLE Data (id INTEGER);") + sql::kCreateLandmarksTable +
                                 QStringLiteral(";INSERT INTO Landmarks VALUES (1, %1, 200, 2, x'%2');"
                                                "INSERT INTO Landmarks VALUES (2, %3, 200, 2, x'%2');"
                                                "INSERT INTO Landmarks VALUES (3, %1, 200, 3, x'%2');")
                                     .arg(landmarks::kLandmarkVersion)
                                     .arg(hex)
                                     .arg(landmarks::kLandmarkVersion + 1));
  const StoredTrackLandmarks read = StoredTrackLandmarks::Read(database, 1);
  ASSERT_TRUE(read.Usable());
  EXPECT_EQ(read.landmarks.size(), 2u);
  EXPECT_EQ(read.landmarks[1].frame, 99);
  EXPECT_TRUE(read.Problem().isEmpty());
  struct Row {
    QString database;
    int32_t id;
    const char* problem;
  };
  testing::Sqlite3(dir.Path("plain.db"), "CREATE TABLE Data (id INTEGER);");
  for (const Row& row : {Row{database, 2, "Ориентиры трека сделаны другой версией анализа и ни с чем не совпадут."},
                         Row{database, 3, "Ориентиры трека в базе данных повреждены."},
                         Row{database, 4, "В базе данных нет ориентиров этого трека."},
                         Row{dir.Path("plain.db"), 1, "В базе данных нет ориентиров этого трека."},
                         Row{dir.Path("none.db"), 1, "Файл базы данных не читается."}}) {
    const StoredTrackLandmarks s = StoredTrackLandmarks::Read(row.database, row.id);
    EXPECT_FALSE(s.Usable()) << row.id;
    EXPECT_EQ(s.Problem(), QString::fromUtf8(row.problem)) << row.id;
  }
}

}  // namespace
}  // namespace melo
