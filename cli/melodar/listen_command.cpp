#include "cli/melodar/listen_command.h"

#include "base/dialogs.h"
#include "cli/common/subcommands.h"
#include "cli/melodar/result_json.h"
#include "cli/melodar/search_mode.h"
#include "searcher/app/capture_ring.h"
#include "searcher/app/live_search.h"
#include "searcher/app/qt_audio_platform.h"
#include "searcher/app/sound_system.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_presentation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace melo::cli {

namespace {

struct ListenOptions {
  QString database;
  int32_t source = 0;
  SearchParameters params;
  int intervalMs = 1000;
  double durationSeconds = -1;
  bool json = false;
};

bool ParseListenOptions(const QStringList& arguments, ListenOptions* o, int* exitCode) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Listens to a sound source and identifies what it hears every S seconds, as the searcher's "
      "automatic search does, printing one search history line (or JSON object) per search until "
      "Ctrl+C or the given duration."));
  const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("The database."), QStringLiteral("DB"));
  const QCommandLineOption source(QStringLiteral("source"),
                                  QStringLiteral("loopback (what the computer plays, default) or N, a recording "
                                                 "device of --list-sources."),
                                  QStringLiteral("SOURCE"), QStringLiteral("loopback"));
  const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Query length Q, 3 to 7 (default 4)."),
                                   QStringLiteral("Q"), QStringLiteral("4"));
  const QCommandLineOption interval(QStringLiteral("interval"), QStringLiteral("Seconds between searches (default 1)."),
                                    QStringLiteral("S"), QStringLiteral("1"));
  const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("fast (default), thorough or scrupulous."),
                                QStringLiteral("MODE"), QStringLiteral("fast"));
  const QCommandLineOption duration(QStringLiteral("duration"), QStringLiteral("Stop after S seconds."),
                                    QStringLiteral("S"));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("One JSON object per search."));
  parser.addOptions({db, source, seconds, interval, mode, duration, json});
  if (!ParseCommandLine(parser, arguments, exitCode)) return false;
  auto fail = [&](const QString& message) {
    *exitCode = Fail(message);
    return false;
  };
  o->database = parser.value(db);
  if (!QFileInfo(o->database).isFile()) return fail(QStringLiteral("give an existing database with --db DB"));
  bool ok = true;
  const QString s = parser.value(source);
  o->source = s == QLatin1String("loopback") ? 0 : s.toInt(&ok);
  if (!ok || o->source < 0) return fail(QStringLiteral("--source must be loopback or a device number"));
  o->params.querySeconds = parser.value(seconds).toInt(&ok);
  if (!ok || o->params.querySeconds < 3 || o->params.querySeconds > 7) return fail(QStringLiteral("--seconds must be 3 to 7"));
  const double intervalSeconds = parser.value(interval).toDouble(&ok);
  if (!ok || intervalSeconds < 0.1) return fail(QStringLiteral("--interval must be 0.1 seconds or more"));
  o->intervalMs = static_cast<int>(intervalSeconds * 1000);
  if (!ApplySearchMode(parser.value(mode), o->params)) {
    return fail(QStringLiteral("--mode must be fast, thorough or scrupulous"));
  }
  if (parser.isSet(duration)) {
    o->durationSeconds = parser.value(duration).toDouble(&ok);
    if (!ok || o->durationSeconds <= 0) return fail(QStringLiteral("--duration must be a number of seconds"));
  }
  o->json = parser.isSet(json);
  return true;
}

void Note(const QString& text) { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }

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
  if (!ParseListenOptions(arguments, &options, &exitCode)) return exitCode;

  SearchIndex index;
  LoadIndex(options.database, index, Note);
  if (index.recordsCount < 0) return Fail(QStringLiteral("%1: cannot read table Data").arg(options.database));
  Note(LoadStatusTexts(index).join(QStringLiteral(", ")));

  QtAudioPlatform platform;
  StderrDialogs dialogs;
  SoundSystem sound(platform, dialogs, QCoreApplication::applicationDirPath());
  sound.InitSound();
  if (options.source >= sound.Sources().size()) {
    return Fail(QStringLiteral("no source %1; see melodar-cli --list-sources").arg(options.source));
  }
  if (options.source != 0 && !sound.ApplySelection(options.source)) {
    return Fail(QStringLiteral("cannot record from %1").arg(sound.Sources()[options.source]));
  }
  Note(QStringLiteral("Источник: ") + sound.Sources()[options.source]);

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
    if (warning != lastWarning && !warning.isEmpty()) Note(warning);
    if (outcome == LiveSearch::Outcome::Started || !warning.isEmpty()) lastWarning = warning;
  };
  live.StartAutomatic(options.intervalMs, [&] { return sound.Ring(); }, [&] { return options.params; }, [] { return true; });

  CatchInterrupts();
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (Interrupted()) QCoreApplication::quit();
  });
  stopper.start(100);
  if (options.durationSeconds > 0) {
    QTimer::singleShot(static_cast<int>(options.durationSeconds * 1000), [] { QCoreApplication::quit(); });
  }
  QCoreApplication::exec();
  RestoreInterrupts();
  live.StopAutomatic();
  engine.Wait();
  const bool heard = sound.Ring()->Total() > 0;
  sound.Shutdown();
  if (!heard) return Fail(QStringLiteral("nothing was heard from %1").arg(sound.Sources()[options.source]));
  return kExitOk;
}

}  // namespace melo::cli
