#include "indexer/pipeline/import_database.h"

#include "base/log_writer.h"
#include "base/text_format.h"
#include "indexer/database/database_lock.h"
#include "indexer/database/import_source.h"
#include "indexer/database/landmark_record.h"
#include "indexer/database/record_store.h"
#include "indexer/database/sqlite_connection.h"
#include "indexer/pipeline/add_landmarks.h"

#include <QElapsedTimer>
#include <SQLiteCpp/SQLiteCpp.h>

namespace melo {

// The copies go in as one write transaction per second or so instead of one
// synchronous commit per row. Nothing is committed implicitly: a batch that is not
// committed is rolled back. A failed commit puts the import's counts back to what
// is really stored, and nothing is written after it.
class ImportDatabase::Batch {
 public:
  Batch(SQLite::Database* db, Counts& counts) : db_(db), counts_(counts), committed_(counts) { Open(); }
  ~Batch() {
    if (open_) Run("ROLLBACK");
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  bool Due() const { return since_.elapsed() >= 1000; }
  // False once a commit has failed.
  bool Saved() const { return saved_; }

  // Commits the rows since the last commit, and opens the next batch when asked;
  // false when the commit failed (the rows since the last commit are gone then).
  bool Commit(bool reopen) {
    if (!saved_) return false;
    saved_ = CommitOpen(reopen);
    if (saved_) {
      committed_ = counts_;
    } else {
      counts_ = committed_;
    }
    return saved_;
  }

  // Runs `change` so that it happens wholly or not at all.
  bool Atomically(const std::function<bool()>& change) {
    if (!Run("SAVEPOINT import_row")) return change();
    const bool done = change();
    if (!done) Run("ROLLBACK TO import_row");
    Run("RELEASE import_row");
    return done;
  }

 private:
  bool CommitOpen(bool reopen) {
    if (!open_) return true;
    open_ = false;
    if (!Run("COMMIT")) {
      Run("ROLLBACK");
      return false;
    }
    if (reopen) Open();
    return true;
  }
  void Open() {
    open_ = Run("BEGIN");
    since_.start();
  }
  bool Run(const char* sql) { return RunStatement(db_, sql); }

  SQLite::Database* db_;
  Counts& counts_;
  Counts committed_;
  bool open_ = false;
  bool saved_ = true;
  QElapsedTimer since_;
};

ImportDatabase::ImportDatabase(TDataModule1& store, TDataModule2& source, Policy policy)
    : store_(store), source_(source), policy_(policy) {}

ImportDatabase::~ImportDatabase() { WaitFor(); }

ImportDatabase::Counts ImportDatabase::GetCounts() const { return counts_; }

void ImportDatabase::Add(const QString& line) {
  if (onAdd) Synchronize([&] { onAdd(line); });
}

void ImportDatabase::Show(const QString& text) {
  // A message box may wait for the user: do not keep the file locked meanwhile.
  if (beforeShow_) beforeShow_();
  if (onShow) Synchronize([&] { onShow(text); });
}

void ImportDatabase::AddAndShow(const QString& text) {
  Add(text);
  Show(text);
}

void ImportDatabase::RowFailed(const QString& text, const QString& cause, bool show) {
  ++counts_.failed;
  show ? AddAndShow(text) : Add(text);
  if (cause.isEmpty()) return;
  WriteMyLog(QStringLiteral("Import: ") + text + QStringLiteral(": ") + cause);
  if (onCause) Synchronize([&] { onCause(cause); });
}

void ImportDatabase::Summary() {
  QStringList lines = {
      QString(),
      QStringLiteral("Обработано записей: %1 из %2").arg(counts_.processed).arg(counts_.total),
      QStringLiteral("Проигнорировано дубликатов: %1").arg(counts_.ignored),
      QStringLiteral("Удалено записей: %1").arg(counts_.deleted),
      QStringLiteral("Добавлено новых записей: %1").arg(counts_.added),
  };
  if (counts_.failed > 0) lines << QStringLiteral("Записей с ошибками: %1").arg(counts_.failed);
  if (counts_.withoutLandmarks > 0) {
    lines << QStringLiteral("Добавлено записей без ориентиров: %1 (добавьте их командой «%2»)")
                 .arg(counts_.withoutLandmarks)
                 .arg(kAddLandmarksCommand);
  }
  if (onSummary) Synchronize([&] { onSummary(lines); });
}

bool ImportDatabase::ReadLandmarks(int32_t sourceId, LandmarkRecord& landmarks) {
  RowLandmarks row;
  if (!source_.GetLandmarks2(sourceId, row) || row.state != StoredLandmarks::Read) return false;
  landmarks = MakeLandmarkRecord(row);
  return true;
}

int32_t ImportDatabase::Insert(const TrackInfo& info, const std::vector<uint8_t>& records, int32_t sourceId) {
  LandmarkRecord landmarks;
  const bool withLandmarks = ReadLandmarks(sourceId, landmarks);
  const int32_t result = store_.InsertSQL(info, records, withLandmarks ? &landmarks : nullptr);
  if (result == 0 && !withLandmarks) ++counts_.withoutLandmarks;
  return result;
}

void ImportDatabase::CopyNew(int32_t sourceId) {
  TrackInfo info;
  std::vector<uint8_t> records;
  if (!source_.GetRecord2(sourceId, info, records)) {
    RowFailed(QStringLiteral("Ошибка DataModule2->GetRecord2"), QStringLiteral("row %1 cannot be read").arg(sourceId),
              false);
  } else if (Insert(info, records, sourceId) != 0) {
    RowFailed(QStringLiteral("Ошибка DataModule1->InsertSQL"), store_.LastError(), false);
  } else {
    ++counts_.added;
  }
}

void ImportDatabase::Replace(const SourceTrack& row, Batch& batch) {
  TrackInfo info;
  std::vector<uint8_t> records;
  if (!source_.GetRecord2(row.id, info, records)) {
    RowFailed(QStringLiteral("Ошибка DataModule2->GetRecord2"), QStringLiteral("row %1 cannot be read").arg(row.id),
              true);
    return;  // the old row stays
  }
  const bool replaced = batch.Atomically(
      [&] { return store_.DeleteRecord(row.track) == 0 && Insert(info, records, row.id) == 0; });
  if (!replaced) {
    RowFailed(QStringLiteral("Ошибка DataModule1->InsertSQL"), store_.LastError(), true);
    return;
  }
  ++counts_.deleted;
  ++counts_.added;
}

bool ImportDatabase::ImportRow(const SourceTrack& row, Batch& batch) {
  const int64_t found = store_.FindRecord(row.track);
  if (found == TDataModule1::kError) {
    AddAndShow(QStringLiteral("Ошибка SQL запроса"));
    return false;
  }
  if (found == TDataModule1::kNotFound) {
    CopyNew(row.id);
    return true;
  }
  Add(QStringLiteral("Дубликат: MD5-хэш = %1\tтрек = %2\tid = %3\tid2 = %4\tразмер = %5 байт")
          .arg(row.track.md5, QString::number(row.track.audio_track), FormatThousands(found),
               FormatThousands(row.id), FormatThousands(row.track.source_size)));
  if (policy_ == Policy::KeepOld) {
    ++counts_.ignored;
  } else {
    Replace(row, batch);
  }
  return true;
}

bool ImportDatabase::ImportRows() {
  std::vector<SourceTrack> rows;
  if (!source_.GetRecordList2(rows)) {
    AddAndShow(QStringLiteral("Ошибка получения списка записей импортируемой базы данных!"));
    return false;
  }
  counts_.total = static_cast<int32_t>(rows.size());
  store_.EnsureLookupIndexes();
  Batch batch(store_.Connection(), counts_);
  beforeShow_ = [&batch] { batch.Commit(true); };
  int32_t i = 0;
  for (; i < counts_.total && batch.Saved() && !Terminated(); ++i) {
    if (!ImportRow(rows[i], batch)) break;
    ++counts_.processed;
    progress_ = counts_.total > 1 ? 100 * i / (counts_.total - 1) : 0;
    if (batch.Due()) batch.Commit(true);
  }
  batch.Commit(false);
  beforeShow_ = nullptr;
  if (!batch.Saved()) {
    AddAndShow(QStringLiteral("Ошибка сохранения импортированных записей!"));
    return false;
  }
  if (i < counts_.total && !Terminated()) return false;  // stopped by an error
  ranToTheEnd_ = i == counts_.total;
  return true;
}

void ImportDatabase::Execute() {
  counts_ = {};
  ranToTheEnd_ = false;
  {
    DatabaseLock lock(store_, TDataModule1::kSharedOwner);
    if (!ImportRows()) return Summary();
  }
  if (!ranToTheEnd_) {
    Show(QStringLiteral("Импорт остановлен!"));
  } else {
    Show(counts_.failed > 0 ? QStringLiteral("Задание выполнено с ошибками!") : QStringLiteral("Задание выполнено!"));
  }
  Summary();
}

}  // namespace melo
