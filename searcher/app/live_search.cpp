#include "searcher/app/live_search.h"

#include "base/dialogs.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_engine.h"

#include <vector>

namespace melo {

namespace {

constexpr int32_t kSilentPeak = 1;
constexpr int32_t kWeakPeak = 499;

}  // namespace

LiveSearch::LiveSearch(SearchEngine& engine, AudioQuery& query, Dialogs& dialogs)
    : engine_(engine), query_(query), dialogs_(dialogs) {}

QString LiveSearch::SignalWarning(Outcome outcome) {
  if (outcome == Outcome::NoSignal) return QStringLiteral("Нет аудио сигнала!");
  if (outcome == Outcome::WeakSignal) return QStringLiteral("Слабый аудио сигнал!");
  return {};
}

LiveSearch::Outcome LiveSearch::OneShot(CaptureRing* ring, const SearchParameters& params, bool indexLoaded,
                                        bool automatic) {
  auto finish = [this](Outcome outcome) {
    if (onOutcome) onOutcome(outcome);
    return outcome;
  };
  if (!indexLoaded) {
    if (!automatic) dialogs_.ShowMessage(QStringLiteral("Дождитесь завершения загрузки базы данных!"));
    return finish(Outcome::NotLoaded);
  }
  if (engine_.Running()) {
    if (!automatic) dialogs_.ShowMessage(QStringLiteral("Поиск ещё не завершён!"));
    return finish(Outcome::StillRunning);
  }
  // Until Q seconds have been captured there is nothing to search.
  const auto length = static_cast<uint32_t>(params.querySeconds) * 48000u;
  std::vector<int16_t> samples(length);
  if (!ring || ring->Total() < length) return finish(Outcome::NoSignal);
  const uint64_t start = ring->Total() - length;
  if (ring->Read(start, length, samples.data()) != CaptureRing::kReadOk) return finish(Outcome::NoSignal);

  // The query holds these samples from now on (to be played or saved), whether
  // or not they can be searched.
  const bool created = query_.Create(samples.data(), static_cast<int32_t>(length), params.analysis);
  // A message every tick would bury the user: only a search asked for says so.
  if (!created && !automatic) dialogs_.ShowMessage(QStringLiteral("AudioQuery->Create = false"));
  if (query_.Peak() <= kSilentPeak) return finish(Outcome::NoSignal);
  if (query_.Peak() <= kWeakPeak) return finish(Outcome::WeakSignal);
  // With too few key points there is no query: searching with the previous one's
  // key points over these samples would report a hit that was never heard.
  if (!created) return finish(Outcome::CreateFailed);
  engine_.Start(query_, params, static_cast<int64_t>(start));
  return finish(Outcome::Started);
}

void LiveSearch::StartAutomatic(int intervalMs, std::function<CaptureRing*()> ring,
                                std::function<SearchParameters()> params, std::function<bool()> indexLoaded) {
  timer_.disconnect();
  QObject::connect(&timer_, &QTimer::timeout, [this, ring, params, indexLoaded] {
    OneShot(ring(), params(), indexLoaded(), true);
  });
  timer_.start(intervalMs);
}

}  // namespace melo
