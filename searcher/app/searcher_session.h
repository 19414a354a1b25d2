#pragma once

#include "searcher/app/live_search.h"
#include "searcher/app/searcher_settings.h"
#include "searcher/capture/sound_system.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/query_history.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_parameters.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace melo {

class AudioPlatform;
class Dialogs;
class LoadData;

// What one search left for the windows, handed to every search listener on the
// main thread right after the search: the main window's result line and
// parameter list, the history line, where the query began in the track, and the
// two lines of the diagnostic log. The query, the index and the outcome's entries
// stay valid until the next search starts.
struct SearchReport {
  SearchOutcome outcome;
  const AudioQuery* query = nullptr;
  const SearchIndex* index = nullptr;
  QString title;                                // the result line; empty when nothing was found
  QList<QPair<QString, QString>> parameters;    // ("Позиция=", "0:01:23"), ...
  QString historyLine;
  int64_t queryStartInTrack = -1;               // best position - the query's length; -1 when not found
  QString countersLine;  // "\tParameters.RealCount=..\ti=..\tBreakPoint=.."
  QString trackingLine;  // "LastNum2=..\tLastPos2=..\tNewPos2=-1"
};

// The searcher without its windows: the settings and log, the database loaded in
// the background, the sound sources, the one-shot and automatic searches with
// their query size and mode, the query's files and playback, and the hand-over of
// each search to whoever listens. Main thread.
class SearcherSession {
 public:
  using SearchListener = std::function<void(const SearchReport&)>;

  SearcherSession(SearcherSettings settings, AudioPlatform& platform, Dialogs& dialogs);
  ~SearcherSession();
  SearcherSession(const SearcherSession&) = delete;
  SearcherSession& operator=(const SearcherSession&) = delete;

  // The start-up steps in their order: settings, database and its load, sound.
  void Start();
  // Appends "yyyy-mm-dd hh:mm:ss " + line to the program log.
  void Log(const QString& line) const;
  // Ends searches, the load and the sound source and writes the settings. Once.
  void Shutdown();

  // -- the database
  // Opens the chosen file as a fingerprint database; "Ошибка подключения к базе
  // данных!" when it is none (or cannot be read).
  bool ConnectDataBase();
  // A database was connected at start-up and its load begun.
  bool DatabaseConnected() const { return load_ != nullptr; }
  // The load has ended: the index may be searched (never while it is written).
  bool IndexLoaded() const;
  // The first four status panels: the load's progress while it runs, its figures
  // after it.
  QStringList StatusTexts() const;
  std::function<void(const QString&)> onLoadErrorLine;
  // After the load; `readErrors` rows could not be read (the user has been told).
  std::function<void(int32_t readErrors)> onLoadFinished;

  // -- searching
  // Without a database, says that none is chosen and how to choose one.
  LiveSearch::Outcome Search();
  // Turns the automatic search on or off; on only once the database is loaded
  // ("Дождитесь завершения загрузки базы данных!"). The new state.
  bool ToggleAutomatic();
  void StopAutomatic();
  bool Automatic() const { return live_.Automatic(); }
  void SetAutomaticInterval(int milliseconds);
  int AutomaticInterval() const { return intervalMs_; }
  void SetQuerySeconds(int32_t seconds) { params_.querySeconds = seconds; }
  void SetMode(SearchMode mode);
  SearchMode Mode() const { return mode_; }
  // Records from sound source `entry` (SoundSystem::ApplySelection). A recording
  // device switches to the robust mode; the computer's own output (entry 0) gets
  // back the mode last chosen while it was selected. onModeChanged hears of the
  // switch.
  bool SelectSource(int32_t entry);
  std::function<void(SearchMode)> onModeChanged;
  // True unless the robust mode is chosen and the loaded index has no landmarks;
  // then says how to add them.
  bool LandmarksReady();
  SearchParameters& Parameters() { return params_; }
  const SearchParameters& Parameters() const { return params_; }
  bool SearchRunning() const { return engine_.Running(); }
  // Waits for a running search; its hand-over happens meanwhile.
  void WaitForSearch() { engine_.Wait(); }
  // Called after every attempt, automatic ticks included.
  std::function<void(LiveSearch::Outcome)> onSearchAttempt;

  // -- the query
  const AudioQuery& Query() const { return query_; }
  QueryHistory& History() { return history_; }
  const QueryHistory& History() const { return history_; }
  // Saves the query into the query folder as query_<time stamp>.dat or .wav; the
  // file's path, or empty after "Ошибка сохранения аудио данных!".
  QString SaveQuery(const QString& extension);
  // Makes the file the query and searches it (the automatic search stops first):
  // a saved query, or any WAV or media file ffmpeg decodes, up to a minute long.
  // A search that finds nothing says so.
  bool OpenQuery(const QString& path);
  // Plays the query through the audio platform ("Нет аудио запроса!" under a
  // second of it).
  bool PlayQuery();

  // -- the results: every listener hears of every search, in the order added.
  void AddSearchListener(SearchListener listener) { listeners_.push_back(std::move(listener)); }

  SoundSystem& Sound() { return sound_; }
  const SoundSystem& Sound() const { return sound_; }
  const SearchEngine& Engine() const { return engine_; }
  const SearchIndex& Index() const { return index_; }
  SearcherSettings& Settings() { return settings_; }
  const SearcherSettings& Settings() const { return settings_; }

 private:
  // True when the index may be searched; else says why not: no database, or
  // its load still running.
  bool IndexReady();
  void StartLoad();
  void LoadFinished();
  void Present(const SearchOutcome& outcome);

  SearcherSettings settings_;
  AudioPlatform& platform_;
  Dialogs& dialogs_;
  SearchIndex index_;
  std::unique_ptr<LoadData> load_;
  bool loaded_ = false;
  SearchParameters params_;
  SearchMode mode_ = SearchMode::Fast;
  SearchMode loopbackMode_ = SearchMode::Fast;  // the mode chosen for the computer's own output
  int intervalMs_ = 1000;
  AudioQuery query_;
  QueryHistory history_;
  SearchEngine engine_;
  LiveSearch live_;
  SoundSystem sound_;
  std::vector<SearchListener> listeners_;
  bool shutDown_ = false;
  bool fileSearch_ = false;  // the running search is of a file opened by the user
};

}  // namespace melo
