#include "cli/melodar/listen_command.h"

#include "base/console.h"
#include "base/dialogs.h"
#include "cli/common/subcommands.h"
#include "cli/melodar/result_json.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/app/live_search.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/capture/sound_system.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_presentation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <optional>

namespace melo::cli {

namespace {

constexpr int kLongestInterval = 3600;  // seconds
constexpr double kLongestDuration = 1e9;  // seconds, some 31 years

struct ListenOptions {
  QString database;
  int32_t source = 0;
  SearchParameters params;
  int intervalMs = 1000;
  double durationSeconds = -1;
  bool json = false;
};

// The command's options, declared once for the parser and for reading the values.
struct ListenOptionSet {
  QCommandLineOption db{QStringLiteral("db"), QStringLiteral("The database."), QStringLiteral("DB")};
  QCommandLineOption source{QStringLiteral("source"),
                            QStringLiteral("loopback (what the computer plays, default) or N, a recording "
                                           "device of --list-sources."),
                            QStringLiteral("SOURCE"), QStringLiteral("loopback")};
  QCommandLineOption seconds{QStringLiteral("seconds"), QStringLiteral("Query length Q, 3 to 7 (default 4)."),
                             QStringLiteral("Q"), QStringLiteral("4")};
  QCommandLineOption interval{QStringLiteral("interval"), QStringLiteral("Seconds between searches (default 1)."),
                              QStringLiteral("S"), QStringLiteral("1")};
  QCommandLineOption mode{QStringLiteral("mode"),
                          QStringLiteral("fast (default), thorough, scrupulous, noisy (for recordings with "
                                         "background noise) or robust (the landmarks: through a microphone, a "
                                         "room, a telephone, with voices over the music)."),
                          QStringLiteral("MODE"), QStringLiteral("fast")};
  QCommandLineOption duration{QStringLiteral("duration"), QStringLiteral("Stop after S seconds."),
                              QStringLiteral("S")};
  QCommandLineOption json{QStringLiteral("json"), QStringLiteral("One JSON object per search.")};

  void AddTo(QCommandLineParser& parser) const {
    parser.setApplicationDescription(QStringLiteral(
        "Listens to a sound source and identifies what it hears every S seconds, as the searcher's "
        "automatic search does, printing one search history line (or JSON object) per search until "
        "Ctrl+C or the given duration. Exit status 2 when the source cannot start or nothing was "
        "heard from it."));
    parser.addOptions({db, source, seconds, interval, mode, duration, json});
  }
};

// The message of the first problem with the parsed options, or nothing.
std::optional<QString> ReadListenOptions(const QCommandLineParser& parser, const ListenOptionSet& set,
                                         ListenOptions* o) {
  o->database = parser.value(set.db);
  if (!QFileInfo(o->database).isFile()) return QStringLiteral("give an existing database with --db DB");
  bool ok = true;
  const QString s = parser.value(set.source);
  o->source = s == QLatin1String("loopback") ? 0 : s.toInt(&ok);
  if (!ok || o->source < 0) return QStringLiteral("--source must be loopback or a device number");
  o->params.querySeconds = parser.value(set.seconds).toInt(&ok);
  if (!ok || o->params.querySeconds < 3 || o->params.querySeconds > 7) return QStringLiteral("--seconds must be 3 to 7");
  const double intervalSeconds = parser.value(set.interval).toDouble(&ok);
  if (!ok || !(intervalSeconds >= 0.1 && intervalSeconds <= kLongestInterval)) {
    return QStringLiteral("--interval must be 0.1 to %1 seconds").arg(kLongestInterval);
  }
  o->intervalMs = static_cast<int>(std::lround(intervalSeconds * 1000));
  const std::optional<SearchMode> mode = SearchModeNamed(parser.value(set.mode).toStdString());
  if (!mode) return QStringLiteral("--mode must be fast, thorough, scrupulous, noisy or robust");
  o->params.SetMode(*mode);
  if (parser.isSet(set.duration)) {
    o->durationSeconds = parser.value(set.duration).toDouble(&ok);
    if (!ok || !(o->durationSeconds > 0 && o->durationSeconds <= kLongestDuration)) {
      return QStringLiteral("--duration must be a number of seconds up to %1").arg(kLongestDuration, 0, 'f', 0);
    }
  }
  o->json = parser.isSet(set.json);
  return std::nullopt;
}

// Starts the sound system on the chosen source; false (with the message printed)
// when that source does not exist or cannot record.
bool StartSource(SoundSystem& sound, int32_t source) {
  sound.InitSound();
  if (source >= sound.Sources().size()) {
    Fail(QStringLiteral("no source %1; see melodar-cli --list-sources").arg(source));
    return false;
  }
  if (source != 0 && !sound.ApplySelection(source)) {
    Fail(QStringLiteral("cannot record from %1").arg(sound.Sources()[source]));
    return false;
  }
  WriteErrorLine(QStringLiteral("Источник: ") + sound.Sources()[source]);
  return true;
}

// Runs the event loop until Ctrl+C, the end of the given duration, or a source that
// has failed for good; false in the last case.
bool RunUntilStopped(double durationSeconds, const SoundSystem& sound) {
  CatchInterrupts();
  // The end is a deadline checked with the interrupt flag: a timer's interval is
  // an int of milliseconds, which a long duration would overflow.
  const QDeadlineTimer end = durationSeconds > 0 ? QDeadlineTimer(static_cast<qint64>(durationSeconds * 1000))
                                                 : QDeadlineTimer(QDeadlineTimer::Forever);
  bool sourceAlive = true;
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    sourceAlive = !sound.SourceFailed();
    if (Interrupted() || end.hasExpired() || !sourceAlive) QCoreApplication::quit();
  });
  stopper.start(100);
  QCoreApplication::exec();
  RestoreInterrupts();
  return sourceAlive;
}

}  // namespace

int ListSources() {
  QtAudioPlatform platform;
  Print(QStringLiteral("0\t%1\n").arg(SoundSystem::kLoopbackSource));
  const QStringList devices = platform.RecordingDevices();
  for (qsizetype i = 0; i < devices.size(); ++i) Print(QStringLiteral("%1\t%2\n").arg(i + 1).arg(devices[i]));
  return kExitOk;
}

int RunListenCommand(const QStringList& arguments) {
  ListenOptions options;
  int exitCode = kExitOk;
  if (!ParseOptions<ListenOptionSet>(arguments, &options, &exitCode, ReadListenOptions)) return exitCode;

  SearchIndex index;
  LoadIndex(options.database, index, WriteErrorLine);
  if (index.recordsCount < 0) {
    return Fail(QStringLiteral("%1: cannot read table Data: %2").arg(options.database, index.loadError));
  }
  if (options.params.analysis == QueryAnalysis::Landmarks && index.landmarkTracks == 0) {
    return Fail(QStringLiteral("%1: no track has landmarks for the robust search; add them with "
                               "melobank-cli landmarks --db %1").arg(options.database));
  }
  WriteErrorLine(LoadStatusTexts(index).join(QStringLiteral(", ")));

  QtAudioPlatform platform;
  StderrDialogs dialogs;
  SoundSystem sound(platform, dialogs, QCoreApplication::applicationDirPath());
  if (!StartSource(sound, options.source)) return kExitFailure;

  SearchEngine engine(index, QThread::idealThreadCount());
  AudioQuery query;
  engine.onFinished = [&](const SearchOutcome& outcome) {
    Print((options.json ? ResultJson(outcome.queryTimeStamp, &outcome, {}, index, SearchResults::kCapacity)
                        : HistoryLine(outcome, index)) +
          QLatin1Char('\n'));
  };
  LiveSearch live(engine, query, dialogs);
  QString lastWarning;
  live.onOutcome = [&](LiveSearch::Outcome outcome) {
    const QString warning = LiveSearch::SignalWarning(outcome);
    if (warning != lastWarning && !warning.isEmpty()) WriteErrorLine(warning);
    if (outcome == LiveSearch::Outcome::Started || !warning.isEmpty()) lastWarning = warning;
  };
  live.StartAutomatic(options.intervalMs, [&] { return sound.Ring(); }, [&] { return options.params; }, [] { return true; });
  const bool sourceAlive = RunUntilStopped(options.durationSeconds, sound);
  live.StopAutomatic();
  engine.Wait();
  const bool heard = sound.Ring()->Total() > 0;
  sound.Shutdown();
  if (!sourceAlive) {
    return Fail(QStringLiteral("%1 cannot start; see the capture helper's message above")
                    .arg(sound.Sources()[options.source]));
  }
  if (!heard) return Fail(QStringLiteral("nothing was heard from %1").arg(sound.Sources()[options.source]));
  return kExitOk;
}

}  // namespace melo::cli
