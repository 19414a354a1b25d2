#include "tests/support/landmark_rows.h"

#include "landmarks/landmark_blob.h"
#include "landmarks/landmark_extractor.h"
#include "trackdb/schema.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <sqlite3.h>

#include <cstring>
#include <vector>

namespace melo::testing {

namespace {

struct Row {
  int id = 0;
  QString path;
  int stream = 0;
};

std::vector<int16_t> Decode(const Row& row) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-i", row.path, "-map",
                                          QStringLiteral("0:a:%1").arg(row.stream), "-ac", "1", "-ar", "48000", "-f",
                                          "s16le", "-"});
  if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) return {};
  const QByteArray bytes = ffmpeg.readAllStandardOutput();
  std::vector<int16_t> samples(static_cast<size_t>(bytes.size() / 2));
  std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
  return samples;
}

}  // namespace

int AddLandmarks(const QString& database) {
  sqlite3* db = nullptr;
  if (sqlite3_open(database.toUtf8().constData(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return -1;
  }
  QList<Row> rows;
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, source_path, audio_track FROM Data", -1, &select, nullptr);
  while (select && sqlite3_step(select) == SQLITE_ROW) {
    rows.append({sqlite3_column_int(select, 0),
                 QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 1))),
                 sqlite3_column_int(select, 2)});
  }
  sqlite3_finalize(select);
  int stored = sqlite3_exec(db, sql::kCreateLandmarksTable, nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : -1;
  sqlite3_stmt* insert = nullptr;
  if (stored == 0) sqlite3_prepare_v2(db, sql::kInsertLandmarks, -1, &insert, nullptr);
  landmarks::LandmarkExtractor extractor(landmarks::kTrackSettings);
  for (const Row& row : rows) {
    if (!insert) break;
    const std::vector<int16_t> samples = Decode(row);
    if (samples.empty()) {
      stored = -1;
      break;
    }
    const landmarks::LandmarkSet set = extractor.Extract(samples);
    const std::vector<uint8_t> blob = landmarks::EncodeLandmarks(set.landmarks);
    sqlite3_bind_int(insert, 1, row.id);
    sqlite3_bind_int(insert, 2, landmarks::kLandmarkVersion);
    sqlite3_bind_int(insert, 3, set.frames);
    sqlite3_bind_int(insert, 4, static_cast<int>(set.landmarks.size()));
    sqlite3_bind_blob(insert, 5, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(insert) != SQLITE_DONE) {
      stored = -1;
      break;
    }
    sqlite3_reset(insert);
    ++stored;
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);
  return stored;
}

}  // namespace melo::testing
