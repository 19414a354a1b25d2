#include "cli/melodar/search_mode.h"

namespace melo::cli {

bool ApplySearchMode(const QString& name, SearchParameters& params) {
  if (name == QLatin1String("fast")) {
    params.SetMode(SearchMode::Fast);
  } else if (name == QLatin1String("thorough")) {
    params.SetMode(SearchMode::Thorough);
  } else if (name == QLatin1String("scrupulous")) {
    params.SetMode(SearchMode::Scrupulous);
  } else {
    return false;
  }
  return true;
}

}  // namespace melo::cli
