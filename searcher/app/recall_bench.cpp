#include "searcher/app/recall_bench.h"

#include "base/file_listing.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/direct_search.h"
#include "searcher/app/query_input.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <random>

namespace melo {

namespace {

constexpr int32_t kLongestTestFile = 1200;  // seconds decoded of one file
const QSet<QString> kMediaExtensions = {"mp3", "ogg", "opus", "oga", "flac", "wav", "m4a", "aac", "wma", "ape",
                                        "wv",  "mka", "mp4",  "m4v", "mkv",  "avi", "webm", "mov", "mpg", "mpeg"};

// The tracks of the index by their source file: the path as it is on this
// machine, and the name with its size for files copied elsewhere.
class HeldFiles {
 public:
  explicit HeldFiles(const SearchIndex& index) {
    for (int32_t t = index.TrackCount() - 1; t >= 0; --t) {
      const TrackInfo& info = index.infos[static_cast<size_t>(t)];
      if (!index.tracks[t].loaded || info.audio_track != 0) continue;
      const QFileInfo file(info.source_path);
      if (file.exists()) byPath_.insert(file.canonicalFilePath(), t);
      byName_.insert(NameKey(info.source_file_name + QLatin1Char('.') + info.extension, info.source_size), t);
    }
  }
  int32_t TrackOf(const QString& path) const {
    const QFileInfo file(path);
    const auto byPath = byPath_.constFind(file.canonicalFilePath());
    if (byPath != byPath_.constEnd()) return *byPath;
    return byName_.value(NameKey(file.fileName(), file.size()), -1);
  }

 private:
  static QString NameKey(const QString& name, int64_t size) { return name + QLatin1Char('/') + QString::number(size); }
  QHash<QString, int32_t> byPath_;
  QHash<QString, int32_t> byName_;
};

QStringList MediaFiles(const QString& folder) {
  QStringList all, media;
  ListFiles(folder, QStringLiteral("*.*"), true, false, all);
  for (const QString& path : all) {
    if (kMediaExtensions.contains(QFileInfo(path).suffix().toLower())) media.append(path);
  }
  return media;
}

struct Tally {
  int32_t excerpts = 0, right = 0, wrong = 0, missed = 0, held = 0, strangers = 0, falseAnswers = 0;
  double totalMs = 0, longestMs = 0;
};

}  // namespace

QString ModeName(SearchMode mode) {
  switch (mode) {
    case SearchMode::Fast: return QStringLiteral("Быстрый");
    case SearchMode::Thorough: return QStringLiteral("Тщательный");
    case SearchMode::Scrupulous: return QStringLiteral("Скурпулёзный");
    case SearchMode::Noisy: return QStringLiteral("Шумоустойчивый");
    case SearchMode::Robust: return QStringLiteral("Устойчивый (через микрофон)");
  }
  return {};
}

bool RecallExcerpt::Right() const {
  if (expectedTrack < 0) return !Answered();
  return answeredTrack == expectedTrack && std::llabs(answeredPosition - (start + length)) < kSampleRate;
}

RecallReport RunRecallBench(const SearchIndex& index, const RecallSettings& settings, const QString& ffmpeg,
                            JobProgress& progress) {
  RecallReport report;
  const QStringList files = MediaFiles(settings.folder);
  report.files = static_cast<int32_t>(files.size());
  const HeldFiles held(index);
  const int64_t length = int64_t{settings.seconds} * kSampleRate;
  const int64_t total = static_cast<int64_t>(files.size()) * settings.excerptsPerFile *
                        static_cast<int64_t>(settings.degradations.size() * settings.modes.size());
  int64_t done = 0;
  progress.Set(0, total);
  for (qsizetype f = 0; f < files.size() && !report.stopped; ++f) {
    const QString name = QFileInfo(files[f]).fileName();
    progress.SetStage(name);
    const int32_t expected = held.TrackOf(files[f]);
    report.heldFiles += expected >= 0 ? 1 : 0;
    const QueryInput input = ReadQueryMedia(files[f], ffmpeg, {-1, settings.seconds, kLongestTestFile});
    const int64_t available = static_cast<int64_t>(input.samples.size()) - length;
    if (input.problem != QueryInputProblem::None || available <= 0) {
      report.problems.append(name + QStringLiteral(": ") +
                             (input.error.isEmpty() ? QStringLiteral("shorter than the excerpts") : input.error));
      done += settings.excerptsPerFile * static_cast<int64_t>(settings.degradations.size() * settings.modes.size());
      progress.Set(done, total);
      continue;
    }
    std::mt19937 random(settings.seed + static_cast<uint32_t>(f));
    std::uniform_int_distribution<int64_t> place(0, available - 1);
    for (int32_t e = 0; e < settings.excerptsPerFile && !report.stopped; ++e) {
      const int64_t start = place(random);
      const std::span<const int16_t> excerpt(input.samples.data() + start, static_cast<size_t>(length));
      for (const Degradation& degradation : settings.degradations) {
        const std::vector<int16_t> heard = Degrade(excerpt, degradation, settings.seed * 7919u + static_cast<uint32_t>(e));
        for (const SearchMode mode : settings.modes) {
          if (progress.Stopped()) {
            report.stopped = true;
            break;
          }
          SearchParameters params = settings.base;
          if (mode != settings.currentMode) params.SetMode(mode);
          params.querySeconds = settings.seconds;
          RecallExcerpt x;
          x.file = name;
          x.expectedTrack = expected;
          x.start = start;
          x.length = length;
          x.degradation = degradation.Name();
          x.mode = mode;
          AudioQuery query;
          if (query.Create(heard.data(), static_cast<int32_t>(heard.size()), params.analysis)) {
            const DirectSearch s = SearchDirectly(index, query, params, CoarseMatches::AsTheProgram);
            x.ms = s.ms;
            if (!s.entries.empty()) {
              x.answeredTrack = s.entries.front().track;
              x.answeredPosition = s.entries.front().position;
              x.score = s.entries.front().score;
            }
          }
          report.excerpts.push_back(x);
          progress.Set(++done, total);
        }
      }
    }
  }
  return report;
}

QList<QStringList> RecallReport::SummaryRows() const {
  QList<QPair<QString, SearchMode>> keys;
  QHash<QString, Tally> tallies;
  for (const RecallExcerpt& x : excerpts) {
    const QString key = x.degradation + QLatin1Char('\t') + ModeName(x.mode);
    if (!tallies.contains(key)) keys.append({x.degradation, x.mode});
    Tally& t = tallies[key];
    ++t.excerpts;
    t.totalMs += x.ms;
    t.longestMs = std::max(t.longestMs, x.ms);
    if (x.expectedTrack < 0) {
      ++t.strangers;
      t.falseAnswers += x.Answered() ? 1 : 0;
      continue;
    }
    ++t.held;
    if (x.Right()) {
      ++t.right;
    } else if (x.Answered()) {
      ++t.wrong;
    } else {
      ++t.missed;
    }
  }
  QList<QStringList> rows;
  for (const auto& [degradation, mode] : keys) {
    const Tally& t = tallies[degradation + QLatin1Char('\t') + ModeName(mode)];
    rows.append({degradation, ModeName(mode), QString::number(t.excerpts), QString::number(t.right),
                 QString::number(t.wrong), QString::number(t.missed),
                 t.held > 0 ? Decimal(100.0 * t.right / t.held, 1) : QStringLiteral("—"),
                 t.strangers > 0 ? QStringLiteral("%1 из %2").arg(t.falseAnswers).arg(t.strangers) : QStringLiteral("—"),
                 MsText(t.totalMs / t.excerpts), MsText(t.longestMs)});
  }
  return rows;
}

QList<QStringList> RecallReport::ExcerptRows(const SearchIndex& index) const {
  QList<QStringList> rows;
  for (const RecallExcerpt& x : excerpts) {
    QString verdict;
    if (x.expectedTrack < 0) {
      verdict = x.Answered() ? QStringLiteral("ложный ответ") : QStringLiteral("верно: нет ответа");
    } else {
      verdict = x.Right() ? QStringLiteral("верно") : x.Answered() ? QStringLiteral("неверно") : QStringLiteral("не найден");
    }
    rows.append({x.file, Decimal(static_cast<double>(x.start) / kSampleRate, 2), x.degradation, ModeName(x.mode),
                 x.expectedTrack >= 0 ? QString::number(x.expectedTrack) : QStringLiteral("нет в базе"),
                 x.Answered() ? QStringLiteral("%1 %2").arg(x.answeredTrack).arg(TrackTitle(index, x.answeredTrack))
                              : QString(),
                 x.Answered() ? PlaceText(x.answeredPosition) : QString(), x.Answered() ? QString::number(x.score) : QString(),
                 MsText(x.ms), verdict});
  }
  return rows;
}

QStringList RecallReport::Lines(const SearchIndex& index) const {
  QStringList lines = {QStringLiteral("Условие\tРежим\tОтрывков\tВерно\tНеверно\tНе найдено\tПолнота, %\tЛожных "
                                      "ответов\tСреднее время, мс\tНаибольшее время, мс")};
  for (const QStringList& row : SummaryRows()) lines.append(row.join(QLatin1Char('\t')));
  lines.append(QString());
  lines.append(QStringLiteral("Файл\tНачало, с\tУсловие\tРежим\tОжидается\tОтвет\tПозиция\tОценка\tВремя, мс\tИтог"));
  for (const QStringList& row : ExcerptRows(index)) lines.append(row.join(QLatin1Char('\t')));
  return lines;
}

}  // namespace melo
