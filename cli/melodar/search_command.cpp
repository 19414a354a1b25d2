#include "cli/melodar/search_command.h"

#include "base/console.h"
#include "base/text_format.h"
#include "cli/common/query_refusal.h"
#include "cli/common/subcommands.h"
#include "searcher/app/query_input.h"
#include "cli/melodar/result_json.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/low_pass.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_presentation.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <optional>

namespace melo::cli {

namespace {

constexpr int32_t kMostThreads = 64;
constexpr double kLatestStart = 1e7;  // seconds, some 115 days

struct SearchOptions {
  QString database;
  SearchParameters params;
  bool secondsGiven = false;
  double start = -1;  // seconds; -1 = the whole file
  int32_t threads = 1;
  int32_t top = SearchResults::kCapacity;
  bool json = false;
  QStringList queries;
};

// The command's options, declared once for the parser and for reading the values.
struct SearchOptionSet {
  QCommandLineOption db{QStringLiteral("db"), QStringLiteral("The database."), QStringLiteral("DB")};
  QCommandLineOption mode{QStringLiteral("mode"),
                          QStringLiteral("fast (default), thorough, scrupulous, noisy (for recordings with "
                                         "background noise) or robust (the landmarks: through a microphone, a "
                                         "room, a telephone, with voices over the music)."),
                          QStringLiteral("MODE"), QStringLiteral("fast")};
  QCommandLineOption seconds{QStringLiteral("seconds"),
                             QStringLiteral("Query length Q, 3 to 7 (default 4; with a whole file, its length)."),
                             QStringLiteral("Q")};
  QCommandLineOption start{QStringLiteral("start"), QStringLiteral("Take Q seconds from S seconds in."),
                           QStringLiteral("S")};
  QCommandLineOption threads{QStringLiteral("threads"), QStringLiteral("Search threads (default: processors)."),
                             QStringLiteral("N")};
  QCommandLineOption top{QStringLiteral("top"), QStringLiteral("Ranked results in the JSON (default 10)."),
                         QStringLiteral("K")};
  QCommandLineOption json{QStringLiteral("json"), QStringLiteral("One JSON object per query.")};

  void AddTo(QCommandLineParser& parser) const {
    parser.setApplicationDescription(QStringLiteral(
        "Identifies each QUERY (a 48 kHz mono .wav/.dat, or any media ffmpeg decodes) against a "
        "fingerprint database, as the searcher's one-shot search does, and prints one line per "
        "query: the search history line, or a JSON object with --json. Exit status 0 when every "
        "query was searched, 2 when some could not be (each says why on stderr)."));
    parser.addOptions({db, mode, seconds, start, threads, top, json});
    parser.addPositionalArgument(QStringLiteral("QUERY"), QStringLiteral("Query files."), QStringLiteral("QUERY..."));
  }
};

// The numeric options; the message of the first bad one, or nothing.
std::optional<QString> ReadNumbers(const QCommandLineParser& parser, const SearchOptionSet& set, SearchOptions* o) {
  bool ok = true;
  if (parser.isSet(set.seconds)) {
    o->params.querySeconds = parser.value(set.seconds).toInt(&ok);
    if (!ok || o->params.querySeconds < 3 || o->params.querySeconds > 7) return QStringLiteral("--seconds must be 3 to 7");
    o->secondsGiven = true;
  }
  if (parser.isSet(set.start)) {
    o->start = parser.value(set.start).toDouble(&ok);
    if (!ok || !(o->start >= 0 && o->start <= kLatestStart)) {
      return QStringLiteral("--start must be a number of seconds from 0 to %1").arg(kLatestStart, 0, 'f', 0);
    }
  }
  o->threads = std::min(QThread::idealThreadCount(), kMostThreads);
  if (parser.isSet(set.threads)) {
    o->threads = parser.value(set.threads).toInt(&ok);
    if (!ok || o->threads < 1 || o->threads > kMostThreads) {
      return QStringLiteral("--threads must be 1 to %1").arg(kMostThreads);
    }
  }
  if (parser.isSet(set.top)) {
    o->top = parser.value(set.top).toInt(&ok);
    if (!ok || o->top < 0) return QStringLiteral("--top must be 0 or more");
  }
  return std::nullopt;
}

// The message of the first problem with the parsed options, or nothing.
std::optional<QString> ReadSearchOptions(const QCommandLineParser& parser, const SearchOptionSet& set,
                                         SearchOptions* o) {
  o->database = parser.value(set.db);
  if (o->database.isEmpty()) return QStringLiteral("give the database with --db DB");
  if (!QFileInfo(o->database).isFile()) return QStringLiteral("%1: no such database file").arg(o->database);
  const std::optional<SearchMode> mode = SearchModeNamed(parser.value(set.mode).toStdString());
  if (!mode) return QStringLiteral("--mode must be fast, thorough, scrupulous, noisy or robust");
  o->params.SetMode(*mode);
  if (auto problem = ReadNumbers(parser, set, o)) return problem;
  o->json = parser.isSet(set.json);
  o->queries = parser.positionalArguments();
  if (o->queries.isEmpty()) return QStringLiteral("give at least one QUERY");
  return std::nullopt;
}

// The line (or JSON object) of a query that yields no search, so that every query
// keeps its line; the reason also goes to stderr.
void PrintFailedQuery(const QString& path, const QString& reason, const QString& cause, const SearchOptions& options,
                      const SearchIndex& index) {
  WriteErrorLine(path + QStringLiteral(": ") + reason + (cause.isEmpty() ? QString() : QStringLiteral(": ") + cause));
  QStringList fields(12);
  fields[6] = EscapeControls(reason);
  const QString line = options.json ? ResultJson(path, nullptr, reason, index, 0) : fields.join('\t');
  Print(line + QLatin1Char('\n'));
}

// Searches one query file and prints its line; false (with the reason printed)
// when the file makes no query.
bool SearchOne(const QString& path, const SearchOptions& options, const QString& ffmpeg, const SearchIndex& index,
               SearchEngine& engine, AudioQuery& query) {
  const QueryInput input =
      ReadQueryMedia(path, ffmpeg, {options.start, options.params.querySeconds, kLongestWholeQuery});
  if (!input.error.isEmpty()) {
    PrintFailedQuery(path, input.error, {}, options, index);
    return false;
  }
  SearchParameters params = options.params;
  const auto count = static_cast<int32_t>(input.samples.size());
  if (options.start < 0 && !options.secondsGiven) params.querySeconds = QuerySecondsOf(input.samples.size());
  // Each file is a search of its own: no tracking of an unrelated earlier file.
  engine.ResetTracking();
  if (!query.Create(input.samples.data(), count, params.analysis)) {
    // The noise-robust analysis looks for key points on a low-passed copy.
    const std::vector<int16_t> examined = params.analysis == QueryAnalysis::NoiseRobust
                                              ? LowPassed6k(input.samples.data(), count)
                                              : input.samples;
    const QString cause = params.analysis == QueryAnalysis::Landmarks
                              ? QStringLiteral("the query holds no pair of spectral peaks loud enough for a landmark")
                              : QueryRefusal(examined.data(), count);
    PrintFailedQuery(path, QStringLiteral("Ошибка создания запроса!"), cause, options, index);
    return false;
  }
  SearchOutcome result;
  engine.onFinished = [&](const SearchOutcome& outcome) { result = outcome; };
  engine.Start(query, params);
  engine.Wait();
  Print((options.json ? ResultJson(path, &result, {}, index, options.top) : HistoryLine(result, index)) +
        QLatin1Char('\n'));
  return true;
}

}  // namespace

int RunSearchCommand(const QStringList& arguments) {
  SearchOptions options;
  int parseExit = kExitOk;
  if (!ParseOptions<SearchOptionSet>(arguments, &options, &parseExit, ReadSearchOptions)) return parseExit;

  SearchIndex index;
  LoadIndex(options.database, index, WriteErrorLine);
  if (index.recordsCount < 0) {
    return Fail(QStringLiteral("%1: cannot read table Data: %2").arg(options.database, index.loadError));
  }
  if (options.params.analysis == QueryAnalysis::Landmarks && index.landmarkTracks == 0) {
    return Fail(QStringLiteral("%1: no track has landmarks for the robust search; add them with "
                               "melobank-cli landmarks --db %1").arg(options.database));
  }
  const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));

  SearchEngine engine(index, options.threads);
  AudioQuery query;
  // One query that fails hides none of the others.
  int exitCode = kExitOk;
  for (const QString& path : options.queries) {
    if (!SearchOne(path, options, ffmpeg, index, engine, query)) exitCode = kExitFailure;
  }
  return exitCode;
}

}  // namespace melo::cli
