// search_bench CORPUS.db WORKDIR QUERY.dat... [--hours 100,1000,10000] [--threads N]
//              [--modes fast,noisy] [--scrambled]
//
// Builds databases of the given sizes from the real fingerprints of CORPUS.db, each
// copy varied (records rotated, a few band bytes nudged, its own md5), then measures
// in one run, per size:
//   load    LoadIndex against a bare loop that steps through "SELECT * FROM Data"
//           and copies every blob
//   search  per mode, the median one-search time of the queries against the floor:
//           one pass summing every index byte with the same number of threads; and
//           how many queries were answered (with queries of music left out of the
//           corpus, every answer is a false one)
//   memory  resident memory added by the load, per hour of audio
#include "base/sample_files.h"
#include "fingerprint/index_record.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_engine.h"
#include "trackdb/schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace melo;

struct CorpusRow {
  std::vector<uint8_t> blob;
  std::string path;
  std::string md5;
  int64_t size = 0;
};

std::vector<CorpusRow> ReadCorpus(const QString& path) {
  std::vector<CorpusRow> rows;
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "SELECT index_data, source_path, md5, source_size FROM Data", -1, &s, nullptr);
  while (s && sqlite3_step(s) == SQLITE_ROW) {
    const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(s, 0));
    CorpusRow row;
    row.blob.assign(b, b + sqlite3_column_bytes(s, 0));
    row.path = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
    row.md5 = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
    row.size = sqlite3_column_int64(s, 3);
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return rows;
}

double Hours(const std::vector<CorpusRow>& rows) {
  double records = 0;
  for (const auto& r : rows) records += static_cast<double>(r.blob.size() / 12);
  return records / 7200.0;
}

// Copy c of the corpus: records rotated by 7c + 1 frames, about one band byte in
// twenty nudged by one, so that no two copies are alike. Scrambled copies draw
// every record at random from anywhere in the corpus instead: real records in an
// order no music has, so that any answer found in them is a false one.
void BuildDatabase(const QString& path, const std::vector<CorpusRow>& corpus, double hours, bool scrambled) {
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  sqlite3_exec(db, sql::kCreateTable, nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, sql::kInsert, -1, &insert, nullptr);
  std::mt19937 rng(1);
  std::vector<const CorpusRow*> withRecords;
  for (const CorpusRow& row : corpus) {
    if (row.blob.size() >= 12) withRecords.push_back(&row);
  }
  const int copies = static_cast<int>(hours / Hours(corpus) + 0.999);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (int c = 0; c < copies; ++c) {
    for (const CorpusRow& row : corpus) {
      const size_t n = row.blob.size() / 12;
      std::vector<uint8_t> blob(n * 12);
      const size_t shift = (7 * static_cast<size_t>(c) + 1) % std::max<size_t>(n, 1);
      for (size_t j = 0; j < n; ++j) {
        if (scrambled) {
          const CorpusRow& other = *withRecords[rng() % withRecords.size()];
          std::memcpy(&blob[12 * j], &other.blob[12 * (rng() % (other.blob.size() / 12))], 12);
        } else {
          std::memcpy(&blob[12 * j], &row.blob[12 * ((j + shift) % n)], 12);
        }
      }
      for (size_t j = 0; j < n; ++j) {
        for (int m = 4; m < 12; ++m) {
          if (rng() % 20 == 0 && blob[12 * j + m] < 255) ++blob[12 * j + m];
        }
      }
      const std::string md5 = row.md5 + "-" + std::to_string(c);
      const std::string p = row.path + "#" + std::to_string(c);
      auto text = [&](const char* name, const std::string& v) {
        sqlite3_bind_text(insert, sqlite3_bind_parameter_index(insert, name), v.c_str(), -1, SQLITE_TRANSIENT);
      };
      auto integer = [&](const char* name, int64_t v) {
        sqlite3_bind_int64(insert, sqlite3_bind_parameter_index(insert, name), v);
      };
      integer(":SOURCESIZE", row.size);
      text(":SHA2", "");
      text(":MD5", md5);
      integer(":DURATION", static_cast<int64_t>(n / 2));
      text(":SOURCEPATH", p);
      text(":SOURCEFILENAME", "copy");
      text(":EXTENSION", "ogg");
      text(":TYPE", "аудио");
      integer(":AUDIOTRACK", 0);
      integer(":ALLTRACKS", 1);
      text(":CREATED", "");
      text(":INFO", "");
      text(":RECORDS", std::to_string(n));
      sqlite3_bind_blob(insert, sqlite3_bind_parameter_index(insert, ":INDEXDATA"), blob.data(),
                        static_cast<int>(blob.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(insert);
  sqlite3_close(db);
}

double BareReadMs(const QString& path) {
  QElapsedTimer t;
  t.start();
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM Data", -1, &s, nullptr);
  const int column = 14;  // index_data
  std::vector<std::vector<uint8_t>> blobs;
  while (sqlite3_step(s) == SQLITE_ROW) {
    const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(s, column));
    blobs.emplace_back(b, b + sqlite3_column_bytes(s, column));
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return t.nsecsElapsed() / 1e6;
}

// The floor of a search: every index byte read once, by `threads` threads taking
// the tracks by stride as the search workers do.
double FloorMs(const SearchIndex& index, int32_t threads, uint64_t* sink) {
  QElapsedTimer t;
  t.start();
  std::vector<uint64_t> sums(static_cast<size_t>(threads));
  std::vector<std::thread> pool;
  for (int32_t w = 0; w < threads; ++w) {
    pool.emplace_back([&, w] {
      uint64_t sum = 0;
      for (int32_t k = w; k < index.TrackCount(); k += threads) {
        for (uint8_t b : index.tracks[k].records) sum += b;
      }
      sums[w] = sum;
    });
  }
  for (auto& p : pool) p.join();
  for (uint64_t s : sums) *sink += s;
  return t.nsecsElapsed() / 1e6;
}

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096.0 / (1 << 20);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  QList<double> sizes = {100, 1000, 10000};
  int32_t threads = static_cast<int32_t>(std::thread::hardware_concurrency());
  QStringList modes = {QStringLiteral("fast")};
  bool scrambled = false;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == "--hours" && i + 1 < args.size()) {
      sizes.clear();
      for (const QString& h : args[i + 1].split(',')) sizes.append(h.toDouble());
      args.remove(i, 2);
      --i;
    } else if (args[i] == "--scrambled") {
      scrambled = true;
      args.remove(i, 1);
      --i;
    } else if (args[i] == "--modes" && i + 1 < args.size()) {
      modes = args[i + 1].split(',');
      args.remove(i, 2);
      --i;
    } else if (args[i] == "--threads" && i + 1 < args.size()) {
      threads = args[i + 1].toInt();
      args.remove(i, 2);
      --i;
    }
  }
  if (args.size() < 3) {
    std::fprintf(stderr,
                 "usage: search_bench CORPUS.db WORKDIR QUERY.dat... [--hours 100,1000] [--threads N] "
                 "[--modes fast,noisy] [--scrambled]\n");
    return 2;
  }
  const std::vector<CorpusRow> corpus = ReadCorpus(args[0]);
  if (corpus.empty()) {
    std::fprintf(stderr, "no rows in %s\n", args[0].toUtf8().constData());
    return 2;
  }
  std::vector<std::vector<int16_t>> queries;
  for (const QString& q : args.mid(2)) {
    SampleBuffer b;
    if (ReadSampleFile(q, b) == SampleFileOutcome::Success) queries.push_back(std::move(b.samples));
  }
  std::printf("corpus: %zu tracks, %.2f h; %zu queries; %d threads\n", corpus.size(), Hours(corpus), queries.size(),
              threads);
  for (const double hours : sizes) {
    const QString db = QStringLiteral("%1/bench-%2%3h.db").arg(args[1], scrambled ? "scrambled-" : "").arg(hours);
    if (!QFileInfo::exists(db)) {
      QElapsedTimer t;
      t.start();
      BuildDatabase(db, corpus, hours, scrambled);
      std::printf("built %s in %.1f s\n", db.toUtf8().constData(), t.nsecsElapsed() / 1e9);
    }
    // Warm the page cache first, so that both reads come from memory.
    std::vector<double> bares, loads;
    for (int r = 0; r < 3; ++r) bares.push_back(BareReadMs(db));
    for (int r = 0; r < 2; ++r) {
      SearchIndex warm;
      LoadIndex(db, warm, {});
      loads.push_back(warm.loadTimeMs);
    }
    const double bare = Median(bares);
    const double before = ResidentMb();
    SearchIndex index;
    LoadIndex(db, index, {});
    const double memory = ResidentMb() - before;
    loads.push_back(index.loadTimeMs);
    const double load = Median(loads);
    const double indexedHours = static_cast<double>(index.totalRecords) / 7200.0;

    std::vector<double> floors;
    uint64_t sink = 0;
    for (int r = 0; r < 5; ++r) floors.push_back(FloorMs(index, threads, &sink));

    const double floor = Median(floors);
    std::printf(
        "%7.0f h: load %8.1f ms (bare read %8.1f ms, x%.2f) | floor %6.2f ms | memory %.2f MB per hour (%.0f MB)%s\n",
        indexedHours, load, bare, load / bare, floor, memory / indexedHours, memory, sink == 1 ? " " : "");
    SearchEngine engine(index, threads);
    AudioQuery query;
    for (const QString& modeName : modes) {
      const std::optional<SearchMode> mode = SearchModeNamed(modeName.toStdString());
      if (!mode) {
        std::fprintf(stderr, "unknown mode %s\n", modeName.toUtf8().constData());
        return 2;
      }
      SearchParameters params;
      params.SetMode(*mode);
      std::vector<double> searches, creations;
      int found = 0;
      ScanCounters work;
      for (const auto& q : queries) {
        QElapsedTimer creation;
        creation.start();
        if (!query.Create(q.data(), static_cast<int32_t>(q.size()), params.analysis)) continue;
        creations.push_back(creation.nsecsElapsed() / 1e6);
        SearchOutcome outcome;
        engine.onFinished = [&](const SearchOutcome& o) { outcome = o; };
        engine.ResetTracking();
        engine.Start(query, params);
        engine.Wait();
        searches.push_back(outcome.searchMs);
        found += outcome.Found() ? 1 : 0;
        work += outcome.totals;
      }
      const double search = Median(searches);
      const double n = std::max<double>(1, static_cast<double>(searches.size()));
      std::printf("          %-11s search median %7.2f ms over %zu queries (x%.2f the floor), %d answered; query "
                  "analysis %.2f ms; per search %.0f coarse matches, %.0f envelopes passed\n",
                  modeName.toUtf8().constData(), search, searches.size(), search / floor, found, Median(creations),
                  static_cast<double>(work.coarseMatches) / n, static_cast<double>(work.windowsPassed) / n);
    }
    std::fflush(stdout);
  }
  return 0;
}
