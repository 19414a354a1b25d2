#pragma once

#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"

#include <QString>

namespace melo::cli {

// One search as a line of JSON: query, found, confirmed, search_ms, the best hit's
// track, id, source_path, title, position_samples, position and score, and the
// ranked entries in "top" (at most `top`). Without an outcome (the query could not
// be fingerprinted) found is false and "reason" says why.
QString ResultJson(const QString& query, const SearchOutcome* outcome, const QString& reason,
                   const SearchIndex& index, int32_t top);

}  // namespace melo::cli
