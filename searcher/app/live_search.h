#pragma once

#include "searcher/engine/search_parameters.h"

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace melo {

class AudioQuery;
class CaptureRing;
class Dialogs;
class SearchEngine;

// The searcher's one-shot and automatic searches over the newest captured sound.
class LiveSearch {
 public:
  enum class Outcome {
    NotLoaded,     // "Дождитесь завершения загрузки базы данных!"
    StillRunning,  // "Поиск ещё не завершён!" (an automatic tick just skips)
    NoSignal,      // "Нет аудио сигнала!": peak of at most 1, or not Q seconds captured yet
    WeakSignal,    // "Слабый аудио сигнал!": peak below 500
    CreateFailed,  // "AudioQuery->Create = false": too few key points
    Started,
  };

  LiveSearch(SearchEngine& engine, AudioQuery& query, Dialogs& dialogs);

  // Takes the newest Q seconds of the ring as the query and starts a search. A
  // one-shot search tells the user why it did not start; an automatic tick only
  // reports its outcome (a tick during a running search does nothing at all).
  Outcome OneShot(CaptureRing* ring, const SearchParameters& params, bool indexLoaded, bool automatic);

  // Repeats OneShot every intervalMs until StopAutomatic().
  void StartAutomatic(int intervalMs, std::function<CaptureRing*()> ring, std::function<SearchParameters()> params,
                      std::function<bool()> indexLoaded);
  void StopAutomatic() { timer_.stop(); }
  bool Automatic() const { return timer_.isActive(); }

  // Called after every attempt, one-shot or automatic.
  std::function<void(Outcome)> onOutcome;

  // The warning the signal picture shows for an outcome, or empty.
  static QString SignalWarning(Outcome outcome);

 private:
  SearchEngine& engine_;
  AudioQuery& query_;
  Dialogs& dialogs_;
  QTimer timer_;
};

}  // namespace melo
