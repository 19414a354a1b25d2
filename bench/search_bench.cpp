// search_bench CORPUS.db WORKDIR QUERY.dat... [--hours 100,1000,10000] [--threads N]
//              [--modes fast,noisy] [--scrambled]
//
// Builds databases of the given sizes from the real fingerprints of CORPUS.db, each
// copy varied (records rotated, a few band bytes nudged, its own md5), or with
// --scrambled the corpus once and then copies whose records are drawn at random
// from anywhere in it (a large library that holds the queries' music once), then
// measures in one run, per size:
//   load    LoadIndex, the band filter's build included, against a bare loop that
//           steps through "SELECT * FROM Data" and copies every blob
//   search  per mode, the median one-search time of the queries with the band
//           filter and with the full scan, against the floor: one pass summing
//           every index byte with the same number of threads; how many queries
//           were answered (with queries of music left out of the corpus, every
//           answer is a false one), how many searches used the filter and how many
//           outcomes differ between the two
//   memory  heap memory the loaded index holds (glibc's count of allocated bytes,
//           which freed memory kept for reuse does not blur as it blurs the
//           resident size) and the growth of the resident memory, per hour of
//           audio, and the filter's
//           share of it
#include "base/sample_files.h"
#include "fingerprint/index_record.h"
#include "landmarks/landmark_blob.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_engine.h"
#include "trackdb/landmark_row.h"
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
#include <malloc.h>
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
  int32_t frames = 0;                           // of the landmarks, when the corpus has them
  std::vector<landmarks::Landmark> landmarks;
};

std::vector<CorpusRow> ReadCorpus(const QString& path) {
  std::vector<CorpusRow> rows;
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  const bool withLandmarks = HasLandmarkTable(db);
  sqlite3_prepare_v2(db,
                     withLandmarks ? "SELECT Data.index_data, Data.source_path, Data.md5, Data.source_size, "
                                     "Landmarks.version AS landmark_version, Landmarks.frames AS landmark_frames, "
                                     "Landmarks.count AS landmark_count, Landmarks.data AS landmark_data "
                                     "FROM Data LEFT JOIN Landmarks ON Landmarks.id = Data.id"
                                   : "SELECT index_data, source_path, md5, source_size FROM Data",
                     -1, &s, nullptr);
  const LandmarkRowReader landmarkRow(s);
  RowLandmarks stored;
  while (s && sqlite3_step(s) == SQLITE_ROW) {
    const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(s, 0));
    CorpusRow row;
    row.blob.assign(b, b + sqlite3_column_bytes(s, 0));
    row.path = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
    row.md5 = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
    row.size = sqlite3_column_int64(s, 3);
    landmarkRow.Read(stored);
    if (stored.state == StoredLandmarks::Read) {
      row.frames = stored.frames;
      row.landmarks = stored.landmarks;
    }
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

// Moves one band byte of a drawn record by 26-40, beyond every mode's band
// tolerance, and the others by up to 8: the record no longer matches the key
// points of its source, yet its bytes keep the corpus' spread.
void MoveBeyondTolerance(uint8_t* bands, std::mt19937& rng) {
  const uint32_t far = rng() % 8;
  for (uint32_t m = 0; m < 8; ++m) {
    const int32_t step = m == far ? 26 + static_cast<int32_t>(rng() % 15) : static_cast<int32_t>(rng() % 9);
    const int32_t up = bands[m] + step, down = bands[m] - step;
    bands[m] = static_cast<uint8_t>(up <= 255 && (rng() % 2 == 0 || down < 0) ? up : down);
  }
}

// Copy c of the corpus: records rotated by 7c + 1 frames, about one band byte in
// twenty nudged by one, so that no two copies are alike. Scrambled databases hold
// the corpus once, verbatim, and then copies that draw every record at random from
// anywhere in it, their band bytes moved (MoveBeyondTolerance): records in an
// order no music has, so that any answer found in them is a false one. The
// landmarks follow: copies rotate them as far as their records; scrambled copies
// keep the frames of their track's landmarks and draw each hash at random from all
// the corpus' landmarks. With landmarksOnly every row but the corpus' own holds a
// single record, so that the memory of a large library is mostly its landmarks.
void BuildDatabase(const QString& path, const std::vector<CorpusRow>& corpus, double hours, bool scrambled,
                   bool landmarksOnly) {
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  sqlite3_exec(db, sql::kCreateTable, nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, sql::kInsert, -1, &insert, nullptr);
  std::vector<uint32_t> hashPool;
  for (const CorpusRow& row : corpus) {
    for (const landmarks::Landmark& l : row.landmarks) hashPool.push_back(l.hash);
  }
  sqlite3_stmt* insertLandmarks = nullptr;
  if (!hashPool.empty()) {
    sqlite3_exec(db, sql::kCreateLandmarksTable, nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, sql::kInsertLandmarks, -1, &insertLandmarks, nullptr);
  }
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
      if (scrambled && c == 0) {
        std::memcpy(blob.data(), row.blob.data(), blob.size());  // the real corpus, once
      } else {
        const size_t shift = (7 * static_cast<size_t>(c) + 1) % std::max<size_t>(n, 1);
        for (size_t j = 0; j < n; ++j) {
          if (scrambled) {
            const CorpusRow& other = *withRecords[rng() % withRecords.size()];
            std::memcpy(&blob[12 * j], &other.blob[12 * (rng() % (other.blob.size() / 12))], 12);
            MoveBeyondTolerance(&blob[12 * j + 4], rng);
          } else {
            std::memcpy(&blob[12 * j], &row.blob[12 * ((j + shift) % n)], 12);
          }
        }
        for (size_t j = 0; j < n; ++j) {
          for (int m = 4; m < 12; ++m) {
            if (rng() % 20 == 0 && blob[12 * j + m] < 255) ++blob[12 * j + m];
          }
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
      if (landmarksOnly && c > 0) blob.resize(std::min<size_t>(blob.size(), 12));
      sqlite3_bind_blob(insert, sqlite3_bind_parameter_index(insert, ":INDEXDATA"), blob.data(),
                        static_cast<int>(blob.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
      if (insertLandmarks && !row.landmarks.empty()) {
        std::vector<landmarks::Landmark> marks = row.landmarks;
        if (c > 0 && scrambled) {
          for (landmarks::Landmark& l : marks) l.hash = hashPool[rng() % hashPool.size()];
        } else if (c > 0) {
          const int32_t shift = static_cast<int32_t>(((7 * static_cast<int64_t>(c) + 1) % std::max<size_t>(n, 1)) *
                                                     IndexRecord::kSamples / landmarks::kInputSamplesPerHop);
          for (landmarks::Landmark& l : marks) l.frame = (l.frame + row.frames - shift % row.frames) % row.frames;
          std::stable_sort(marks.begin(), marks.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; });
        }
        const std::vector<uint8_t> data = landmarks::EncodeLandmarks(marks);
        sqlite3_bind_int64(insertLandmarks, 1, sqlite3_last_insert_rowid(db));
        sqlite3_bind_int(insertLandmarks, 2, landmarks::kLandmarkVersion);
        sqlite3_bind_int(insertLandmarks, 3, row.frames);
        sqlite3_bind_int(insertLandmarks, 4, static_cast<int>(marks.size()));
        sqlite3_bind_blob(insertLandmarks, 5, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        sqlite3_step(insertLandmarks);
        sqlite3_reset(insertLandmarks);
      }
    }
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(insertLandmarks);
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
  // The landmarks too, as the load reads them.
  if (HasLandmarkTable(db)) {
    sqlite3_prepare_v2(db, "SELECT data FROM Landmarks", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
      const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(s, 0));
      blobs.emplace_back(b, b + sqlite3_column_bytes(s, 0));
    }
    sqlite3_finalize(s);
  }
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

double AllocatedMb() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd) / (1 << 20);
}

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096.0 / (1 << 20);
}

// The results and counters of two searches agree (their order-dependent
// "accepted" count aside when more than one worker offered).
bool SameOutcome(const SearchOutcome& a, const SearchOutcome& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const ResultEntry& x = a.entries[i];
    const ResultEntry& y = b.entries[i];
    if (x.track != y.track || x.position != y.position || x.score != y.score) return false;
  }
  const ScanCounters& s = a.totals;
  const ScanCounters& t = b.totals;
  return s.framesExamined == t.framesExamined && s.comparisons == t.comparisons &&
         s.coarseMatches == t.coarseMatches && s.windowsPassed == t.windowsPassed && s.offered == t.offered;
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
  bool landmarksOnly = false;
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
    } else if (args[i] == "--landmarks-only") {
      landmarksOnly = true;
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
                 "[--modes fast,noisy,robust] [--scrambled] [--landmarks-only]\n");
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
    const QString db = QStringLiteral("%1/bench-%2%3%4h.db")
                           .arg(args[1], scrambled ? "scrambled-" : "", landmarksOnly ? "landmarks-" : "")
                           .arg(hours);
    if (!QFileInfo::exists(db)) {
      QElapsedTimer t;
      t.start();
      BuildDatabase(db, corpus, hours, scrambled, landmarksOnly);
      std::printf("built %s in %.1f s\n", db.toUtf8().constData(), t.nsecsElapsed() / 1e9);
    }
    // The page cache is warmed by the bare reads first, so that the loads read
    // from memory too (a database larger than the memory left beside its index is
    // read once each way). More loads after the first, beside it, give the
    // median.
    const int32_t repeats = hours > 20000 ? 1 : 3;
    std::vector<double> bares, loads;
    for (int r = 0; r < repeats; ++r) bares.push_back(BareReadMs(db));
    const double bare = Median(bares);
    const double before = ResidentMb();
    const double allocatedBefore = AllocatedMb();
    SearchIndex index;
    LoadIndex(db, index, {});
    const double memory = ResidentMb() - before;
    const double allocated = AllocatedMb() - allocatedBefore;
    loads.push_back(index.loadTimeMs);
    for (int r = 1; r < repeats; ++r) {
      SearchIndex again;
      LoadIndex(db, again, {});
      loads.push_back(again.loadTimeMs);
    }
    const double load = Median(loads);
    const double indexedHours = landmarksOnly ? static_cast<double>(index.landmarkFrames) * landmarks::kHop /
                                                    landmarks::kAnalysisRate / 3600.0
                                              : static_cast<double>(index.totalRecords) / 7200.0;
    const double landmarkMb = index.landmarks ? static_cast<double>(index.landmarks->MemoryBytes()) / (1 << 20) : 0;
    // The build alone, from the loaded tracks rather than beside the load.
    index.filter.reset();
    QElapsedTimer build;
    build.start();
    index.filter = BandFilter::Build(index.tracks);
    const double buildMs = build.nsecsElapsed() / 1e6;
    const double filterMb = index.filter ? static_cast<double>(index.filter->MemoryBytes()) / (1 << 20) : 0;

    std::vector<double> floors;
    uint64_t sink = 0;
    for (int r = 0; r < 5; ++r) floors.push_back(FloorMs(index, threads, &sink));

    const double floor = Median(floors);
    std::printf(
        "%7.0f h: load with the filter %8.1f ms (bare read %8.1f ms, x%.2f; the filter alone, built from memory, "
        "%.1f ms) | floor %6.2f ms | memory %.1f KB per hour allocated (%.0f MB; resident growth %.1f KB per hour; "
        "the filter %.1f KB per hour, the landmarks %.1f KB per hour of %.0f h with them)%s\n",
        indexedHours, load, bare, load / bare, buildMs, floor, allocated * 1024 / indexedHours, allocated,
        memory * 1024 / indexedHours, filterMb * 1024 / indexedHours,
        index.landmarkFrames ? landmarkMb * 1024 / (index.landmarkFrames / 225000.0) : 0.0,
        index.landmarkFrames / 225000.0, sink == 1 ? " " : "");
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
      std::vector<double> filtered, full, creations;
      int found = 0, usedFilter = 0, differing = 0;
      ScanCounters work;
      auto search = [&](SearchOutcome& outcome) {
        engine.onFinished = [&](const SearchOutcome& o) { outcome = o; };
        engine.ResetTracking();
        engine.Start(query, params);
        engine.Wait();
      };
      if (*mode == SearchMode::Robust) {
        std::vector<double> times;
        int inCopies = 0;
        for (const auto& q : queries) {
          QElapsedTimer creation;
          creation.start();
          if (!query.Create(q.data(), static_cast<int32_t>(q.size()), params.analysis)) continue;
          creations.push_back(creation.nsecsElapsed() / 1e6);
          SearchOutcome outcome;
          search(outcome);
          times.push_back(outcome.searchMs);
          found += outcome.Found() ? 1 : 0;
          // The corpus's own rows come first; an answer after them is in a copy.
          inCopies += outcome.Found() && outcome.entries[0].track >= static_cast<int32_t>(corpus.size()) ? 1 : 0;
          work += outcome.totals;
        }
        const double n = std::max<double>(1, static_cast<double>(times.size()));
        std::printf("          %-11s search median %7.2f ms over the landmarks (%zu searches): %d answered, %d of "
                    "them in a copy; query analysis %.2f ms; per search %.0f look-ups, %.0f stored landmarks met, "
                    "%.0f offsets verified\n",
                    modeName.toUtf8().constData(), Median(times), times.size(), found, inCopies, Median(creations),
                    static_cast<double>(work.framesExamined) / n, static_cast<double>(work.comparisons) / n,
                    static_cast<double>(work.offered) / n);
        continue;
      }
      for (const auto& q : queries) {
        QElapsedTimer creation;
        creation.start();
        if (!query.Create(q.data(), static_cast<int32_t>(q.size()), params.analysis)) continue;
        creations.push_back(creation.nsecsElapsed() / 1e6);
        SearchOutcome withFilter, fullScan;
        search(withFilter);
        std::unique_ptr<BandFilter> set = std::move(index.filter);
        search(fullScan);
        index.filter = std::move(set);
        filtered.push_back(withFilter.searchMs);
        full.push_back(fullScan.searchMs);
        found += withFilter.Found() ? 1 : 0;
        usedFilter += withFilter.filtered ? 1 : 0;
        differing += SameOutcome(withFilter, fullScan) ? 0 : 1;
        work += fullScan.totals;
      }
      const double n = std::max<double>(1, static_cast<double>(filtered.size()));
      std::printf("          %-11s search median %7.2f ms with the filter (used in %d of %zu), full scan %7.2f ms "
                  "(x%.2f the floor): x%.1f faster; %d answered, %d outcomes differ; query analysis %.2f ms; per "
                  "search %.0f coarse matches, %.0f envelopes passed\n",
                  modeName.toUtf8().constData(), Median(filtered), usedFilter, filtered.size(), Median(full),
                  Median(full) / floor, Median(full) / std::max(Median(filtered), 1e-3), found, differing,
                  Median(creations), static_cast<double>(work.coarseMatches) / n,
                  static_cast<double>(work.windowsPassed) / n);
    }
    std::fflush(stdout);
  }
  return 0;
}
