#include "searcher/app/searcher_session.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/log_writer.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/app/query_input.h"
#include "searcher/capture/audio_platform.h"
#include "searcher/engine/load_data.h"
#include "searcher/engine/search_presentation.h"
#include "trackdb/schema.h"
#include "trackdb/sqlite_handles.h"

#include <QStandardPaths>
#include <QThread>
#include <sqlite3.h>
#include <utility>

namespace melo {

namespace {

constexpr int32_t kPlaybackMinimum = 48000;  // a second

const QString kNoLandmarks = QStringLiteral(
    "В базе данных нет ориентиров для устойчивого поиска: добавьте их в программе Melobank, "
    "меню «База данных» → «Добавить ориентиры в базу данных»!");
const QString kNoDatabase =
    QStringLiteral("База данных не выбрана: выберите её в меню «База данных» → «Выбрать базу данных» (Ctrl+B)!");

QString QueryInputMessage(QueryInputProblem problem) {
  switch (problem) {
    case QueryInputProblem::None: return {};
    case QueryInputProblem::NoFile: return QStringLiteral("Файл не найден!");
    case QueryInputProblem::CannotOpen: return QStringLiteral("Ошибка открытия файла!");
    case QueryInputProblem::ShortFile:
    case QueryInputProblem::PastEnd: return QStringLiteral("Ошибка чтения файла!");
    case QueryInputProblem::TooLong:
      return QStringLiteral("Аудио запрос не может быть длиннее %1 секунд!").arg(kLongestWholeQuery);
    case QueryInputProblem::NoDecoder: return QStringLiteral("Отсутствует утилита FFMPEG! Установите её пожалуйста!");
    case QueryInputProblem::DecodeFailed: return QStringLiteral("Ошибка декодирования файла!");
  }
  return {};
}

}  // namespace

SearcherSession::SearcherSession(SearcherSettings settings, AudioPlatform& platform, Dialogs& dialogs)
    : settings_(std::move(settings)),
      platform_(platform),
      dialogs_(dialogs),
      engine_(index_, QThread::idealThreadCount()),
      live_(engine_, query_, dialogs),
      sound_(platform, dialogs, settings_.paths.programDir, [this](const QString& line) { Log(line); }) {
  engine_.onFinished = [this](const SearchOutcome& outcome) { Present(outcome); };
  live_.onOutcome = [this](LiveSearch::Outcome outcome) {
    if (onSearchAttempt) onSearchAttempt(outcome);
  };
}

SearcherSession::~SearcherSession() { Shutdown(); }

void SearcherSession::Log(const QString& line) const { WriteLogLine(settings_.paths.programLog, line, true); }

void SearcherSession::Start() {
  Log(QStringLiteral("Read Ini file"));
  settings_.ReadINIFile(dialogs_);
  if (settings_.DatabaseExists() && ConnectDataBase()) StartLoad();
  Log(QStringLiteral("Create work obects"));
  sound_.InitSound();
  Log(QStringLiteral("Init completed"));
}

void SearcherSession::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  live_.StopAutomatic();
  listeners_.clear();
  onLoadErrorLine = nullptr;
  onLoadFinished = nullptr;
  engine_.onFinished = nullptr;
  engine_.Wait();
  load_.reset();  // stops between two rows
  sound_.Shutdown();
  settings_.WriteINIFile(dialogs_);
}

bool SearcherSession::ConnectDataBase() {
  // SQLite opens any file; whether it is a fingerprint database shows on the
  // first statement: it must read, and find table Data. A file another program
  // holds locked is left to the loader, which waits for it in the background
  // rather than here, before the window shows.
  const ReadOnlyDatabase db(settings_.databasePath);
  if (db.get()) sqlite3_busy_timeout(db.get(), 0);
  const SqliteStatement probe(db.get(), sql::kHasDataTable);
  const int step = probe.get() ? sqlite3_step(probe.get()) : (db.get() ? sqlite3_errcode(db.get()) : SQLITE_ERROR);
  if (step == SQLITE_BUSY) return true;
  if (step != SQLITE_ROW || sqlite3_column_int(probe.get(), 0) < 1) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка подключения к базе данных!"));
    return false;
  }
  return true;
}

void SearcherSession::StartLoad() {
  load_ = std::make_unique<LoadData>(settings_.databasePath, index_);
  load_->onErrorLine = [this](const QString& line) {
    if (onLoadErrorLine) onLoadErrorLine(line);
  };
  load_->onFinished = [this] { LoadFinished(); };
  load_->Start();
}

void SearcherSession::LoadFinished() {
  loaded_ = true;
  if (index_.recordsCount < 0) {
    // Locked by another program for longer than the connection waits, or damaged.
    dialogs_.ShowMessage(QStringLiteral("Ошибка подключения к базе данных!"));
  } else if (index_.readErrors >= 1) {
    dialogs_.ShowMessage(QStringLiteral("В процессе загрузки базы данных были обнаружены ошибки!"));
  }
  if (onLoadFinished) onLoadFinished(index_.readErrors);
}

bool SearcherSession::IndexLoaded() const { return loaded_; }

QStringList SearcherSession::StatusTexts() const {
  if (!load_) return {};
  if (!IndexLoaded()) return {LoadProgressText(load_->RowsRead(), load_->RowsTotal())};
  if (index_.recordsCount < 0) return {};
  return LoadStatusTexts(index_);
}

bool SearcherSession::IndexReady() {
  // Without a database nothing is loading: waiting would be waiting for nothing.
  if (!DatabaseConnected()) {
    dialogs_.ShowMessage(kNoDatabase);
    return false;
  }
  if (!IndexLoaded()) {
    dialogs_.ShowMessage(QStringLiteral("Дождитесь завершения загрузки базы данных!"));
    return false;
  }
  return LandmarksReady();
}

bool SearcherSession::LandmarksReady() {
  if (params_.analysis != QueryAnalysis::Landmarks || !IndexLoaded() || index_.landmarkTracks > 0) return true;
  dialogs_.ShowMessage(kNoLandmarks);
  return false;
}

LiveSearch::Outcome SearcherSession::Search() {
  if (!DatabaseConnected()) {
    dialogs_.ShowMessage(kNoDatabase);
    return LiveSearch::Outcome::NotLoaded;
  }
  if (!LandmarksReady()) return LiveSearch::Outcome::NotLoaded;
  return live_.OneShot(sound_.Ring(), params_, IndexLoaded(), false);
}

void SearcherSession::SetMode(SearchMode mode) {
  params_.SetMode(mode);
  mode_ = mode;
  if (sound_.Selection() <= 0) loopbackMode_ = mode;
}

bool SearcherSession::SelectSource(int32_t entry) {
  const bool applied = sound_.ApplySelection(entry);
  // A microphone hears the room: the landmarks are made for that. The computer's
  // own output gets back the mode the user chose for it.
  const bool device = entry > 0 && entry < static_cast<int32_t>(sound_.Sources().size());
  const SearchMode wanted = device ? SearchMode::Robust : loopbackMode_;
  if (wanted != mode_) {
    params_.SetMode(wanted);
    mode_ = wanted;
    if (onModeChanged) onModeChanged(wanted);
  }
  return applied;
}

bool SearcherSession::ToggleAutomatic() {
  if (live_.Automatic()) {
    live_.StopAutomatic();
    return false;
  }
  if (!IndexReady()) return false;
  live_.StartAutomatic(
      intervalMs_, [this] { return sound_.Ring(); }, [this] { return params_; }, [this] { return IndexLoaded(); });
  return true;
}

void SearcherSession::StopAutomatic() { live_.StopAutomatic(); }

void SearcherSession::SetAutomaticInterval(int milliseconds) {
  intervalMs_ = milliseconds;
  if (!live_.Automatic()) return;
  live_.StopAutomatic();
  ToggleAutomatic();
}

QString SearcherSession::SaveQuery(const QString& extension) {
  // A folder removed since it was chosen is made again rather than refused.
  EnsureDirectory(settings_.queryDir);
  const QString path = AudioQuery::FileNameFor(settings_.queryDir, query_.TimeStamp(), extension);
  const bool saved = extension == QLatin1String(".wav") ? query_.SaveWav(path) : query_.SaveDat(path);
  if (saved) return path;
  dialogs_.ShowMessage(QStringLiteral("Ошибка сохранения аудио данных!"));
  return {};
}

bool SearcherSession::OpenQuery(const QString& path) {
  StopAutomatic();
  engine_.Wait();
  // The search reads the index: not while the loader is still writing it.
  if (!IndexReady()) return false;
  // Read as melodar-cli reads it: the searcher's own files as they are, any other
  // WAV or media file decoded by ffmpeg, and searched as long as it lasts.
  const QueryInput input = ReadQueryMedia(path, QStandardPaths::findExecutable(QStringLiteral("ffmpeg")),
                                          {-1, params_.querySeconds, kLongestWholeQuery});
  if (input.problem != QueryInputProblem::None) {
    Log(QStringLiteral("Query file ") + path + QStringLiteral(": ") + input.error);
    dialogs_.ShowMessage(QueryInputMessage(input.problem));
    return false;
  }
  if (!query_.Create(input.samples.data(), static_cast<int32_t>(input.samples.size()), params_.analysis)) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка создания запроса!"));
    return false;
  }
  SearchParameters params = params_;
  params.querySeconds = QuerySecondsOf(input.samples.size());
  // A file is a search of its own: no tracking of what was heard before it.
  engine_.ResetTracking();
  fileSearch_ = engine_.Start(query_, params);
  return fileSearch_;
}

bool SearcherSession::PlayQuery() {
  if (query_.Length() < kPlaybackMinimum) {
    dialogs_.ShowMessage(QStringLiteral("Нет аудио запроса!"));
    return false;
  }
  if (!query_.SaveWav(settings_.playbackFile)) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка сохранения временного аудио файла!"));
    return false;
  }
  return platform_.Play(settings_.playbackFile);
}

void SearcherSession::Present(const SearchOutcome& outcome) {
  SearchReport report;
  report.outcome = outcome;
  report.query = &query_;
  report.index = &index_;
  report.parameters = ParameterRows(outcome, index_);
  report.historyLine = HistoryLine(outcome, index_);
  if (outcome.Found()) {
    const ResultEntry& best = outcome.entries.front();
    report.title = DisplayTitle(index_.infos[static_cast<size_t>(best.track)]);
    // The query's own length: a file searched whole need not last the query seconds.
    report.queryStartInTrack = best.position - query_.Length();
  }
  report.countersLine = QStringLiteral("\tParameters.RealCount=%1\ti=%2\tBreakPoint=%3")
                            .arg(outcome.tracksScanned)
                            .arg(outcome.lastTrackHandedOut)
                            .arg(outcome.breakPoint);
  report.trackingLine =
      QStringLiteral("LastNum2=%1\tLastPos2=%2\tNewPos2=-1").arg(outcome.hitBefore.track).arg(outcome.hitBefore.position);
  for (const SearchListener& listener : listeners_) listener(report);
  history_.Add(query_.TimeStamp(), query_.Samples());
  // A file searched on request, unlike the sound heard, gets an answer either way.
  if (std::exchange(fileSearch_, false) && !outcome.Found()) {
    dialogs_.ShowMessage(QStringLiteral("Совпадений в базе данных не найдено!"));
  }
}

}  // namespace melo
