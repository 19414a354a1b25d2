#include "cli/melodar/result_json.h"

#include "base/text_format.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/engine/search_presentation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace melo::cli {

namespace {

QJsonObject EntryJson(const ResultEntry& e, const SearchIndex& index) {
  const TrackInfo& info = index.infos[e.track];
  return {{"track", e.track},
          {"id", info.id},
          {"source_path", info.source_path},
          {"title", DisplayTitle(info)},
          {"position_samples", static_cast<qint64>(e.position)},
          {"position", FormatDuration(e.position / kSampleRate, false)},
          {"score", e.score}};
}

}  // namespace

QString ResultJson(const QString& query, const SearchOutcome* outcome, const QString& reason,
                   const SearchIndex& index, int32_t top) {
  QJsonObject o{{"query", query}, {"found", outcome && outcome->Found()}};
  if (!reason.isEmpty()) o["reason"] = reason;
  if (outcome) {
    o["search_ms"] = outcome->searchMs;
    o["confirmed"] = outcome->confirmed;
    if (outcome->Found()) {
      const QJsonObject best = EntryJson(outcome->entries.front(), index);
      for (auto it = best.begin(); it != best.end(); ++it) o[it.key()] = it.value();
    }
    QJsonArray ranked;
    const auto shown = std::min<size_t>(static_cast<size_t>(std::max(top, 0)), outcome->entries.size());
    for (size_t r = 0; r < shown; ++r) ranked.append(EntryJson(outcome->entries[r], index));
    o["top"] = ranked;
  }
  return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

}  // namespace melo::cli
