#pragma once

#include "searcher/engine/search_parameters.h"

#include <QString>

namespace melo::cli {

// Sets the thresholds of "fast", "thorough" or "scrupulous"; false for another name.
bool ApplySearchMode(const QString& name, SearchParameters& params);

}  // namespace melo::cli
