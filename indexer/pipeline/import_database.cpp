#include "indexer/pipeline/import_database.h"

#include "base/text_format.h"
#include "indexer/database/data_module1.h"
#include "indexer/database/data_module2.h"

#include <QElapsedTimer>
#include <functional>
#include <SQLiteCpp/SQLiteCpp.h>

namespace melo {

namespace {

// The copies go in as one write transaction per second or so instead of one
// synchronous commit per row. Nothing is committed implicitly: a batch that is not
// committed is rolled back.
class Batch {
 public:
  explicit Batch(SQLite::Database* db) : db_(db) { Open(); }
  ~Batch() {
    if (open_) Run("ROLLBACK");
  }
  bool Due() const { return since_.elapsed() >= 1000; }
  // Commits the rows since the last commit, and opens the next batch when asked;
  // false when the commit failed (the rows since the last commit are gone then).
  bool Commit(bool reopen) {
    if (!open_) return true;
    open_ = false;
    if (!Run("COMMIT")) {
      Run("ROLLBACK");
      return false;
    }
    if (reopen) Open();
    return true;
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
  void Open() {
    open_ = Run("BEGIN");
    since_.start();
  }
  bool Run(const char* sql) {
    if (!db_) return false;
    try {
      db_->exec(sql);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  SQLite::Database* db_;
  bool open_ = false;
  QElapsedTimer since_;
};

int64_t Number(const QString& text) {
  bool ok = false;
  const int64_t value = text.toLongLong(&ok);
  return ok ? value : 0;
}

}  // namespace

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

void ImportDatabase::Summary() {
  const QStringList lines = {
      QString(),
      QStringLiteral("Обработано записей: %1 из %2").arg(counts_.processed).arg(counts_.total),
      QStringLiteral("Проигнорировано дубликатов: %1").arg(counts_.ignored),
      QStringLiteral("Удалено записей: %1").arg(counts_.deleted),
      QStringLiteral("Добавлено новых записей: %1").arg(counts_.added),
  };
  if (onSummary) Synchronize([&] { onSummary(lines); });
}

void ImportDatabase::CopyNew(int32_t sourceId) {
  TrackInfo info;
  std::vector<uint8_t> records;
  if (!source_.GetRecord2(sourceId, info, records)) {
    Add(QStringLiteral("Ошибка DataModule2->GetRecord2"));
  } else if (store_.InsertSQL(info, records) != 0) {
    Add(QStringLiteral("Ошибка DataModule1->InsertSQL"));
  } else {
    ++counts_.added;
  }
}

void ImportDatabase::Replace(int32_t sourceId, const QString& md5, int64_t size, int32_t track,
                             const std::function<bool(const std::function<bool()>&)>& atomically) {
  TrackInfo info;
  std::vector<uint8_t> records;
  if (!source_.GetRecord2(sourceId, info, records)) {
    const QString message = QStringLiteral("Ошибка DataModule2->GetRecord2");
    Add(message);
    Show(message);
    return;  // the old row stays
  }
  const bool replaced = atomically([&] {
    return store_.DeleteRecord(md5, size, track) == 0 && store_.InsertSQL(info, records) == 0;
  });
  if (!replaced) {
    const QString message = QStringLiteral("Ошибка DataModule1->InsertSQL");
    Add(message);
    Show(message);
    return;
  }
  ++counts_.deleted;
  ++counts_.added;
}

void ImportDatabase::Execute() {
  counts_ = {};
  ranToTheEnd_ = false;
  {
    DatabaseLock lock(store_, TDataModule1::kSharedOwner);
    QStringList lines;
    if (!source_.GetRecordList2(lines)) {
      const QString message = QStringLiteral("Ошибка получения списка записей импортируемой базы данных!");
      Add(message);
      Show(message);
      Summary();
      return;
    }
    counts_.total = static_cast<int32_t>(lines.size());
    store_.EnsureLookupIndexes();
    Batch batch(store_.Connection());
    Counts committed = counts_;
    bool saved = true;
    // Commits the batch; when that fails, the counts go back to what is really stored.
    const auto commit = [&](bool reopen) {
      if (!saved) return false;
      saved = batch.Commit(reopen);
      if (saved) {
        committed = counts_;
      } else {
        counts_ = committed;
      }
      return saved;
    };
    beforeShow_ = [&] { commit(true); };
    const auto atomically = [&batch](const std::function<bool()>& change) { return batch.Atomically(change); };
    int32_t i = 0;
    for (; i < counts_.total && saved && !Terminated(); ++i) {
      const QStringList fields = lines[i].split(QLatin1Char('\t'));
      const auto id = static_cast<int32_t>(Number(fields.value(0)));
      const int64_t size = Number(fields.value(1));
      const QString md5 = fields.value(2);
      const auto track = static_cast<int32_t>(Number(fields.value(3)));

      const int64_t found = store_.FindRecord(md5, size, track);
      if (found == TDataModule1::kError) {
        const QString message = QStringLiteral("Ошибка SQL запроса");
        Add(message);
        Show(message);
        break;
      }
      if (found == TDataModule1::kNotFound) {
        CopyNew(id);
      } else {
        Add(QStringLiteral("Дубликат: MD5-хэш = %1\tтрек = %2\tid = %3\tid2 = %4\tразмер = %5 байт")
                .arg(md5, QString::number(track), FormatThousands(found), FormatThousands(id), FormatThousands(size)));
        if (policy_ == Policy::KeepOld) {
          ++counts_.ignored;
        } else {
          Replace(id, md5, size, track, atomically);
        }
      }
      ++counts_.processed;
      progress_ = counts_.total > 1 ? 100 * i / (counts_.total - 1) : 0;
      if (batch.Due()) commit(true);
    }
    commit(false);
    beforeShow_ = nullptr;
    if (!saved) {
      const QString message = QStringLiteral("Ошибка сохранения импортированных записей!");
      Add(message);
      Show(message);
      return Summary();
    }
    if (i < counts_.total && !Terminated()) return Summary();  // stopped by an error
    ranToTheEnd_ = i == counts_.total;
  }
  Show(ranToTheEnd_ ? QStringLiteral("Задание выполнено!") : QStringLiteral("Импорт остановлен!"));
  Summary();
}

}  // namespace melo
