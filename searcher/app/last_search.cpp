#include "searcher/app/last_search.h"

#include "searcher/app/searcher_session.h"

namespace melo {

LastSearch LastSearch::From(const SearchReport& report) {
  LastSearch last;
  last.samples = std::make_shared<const std::vector<int16_t>>(report.query->Samples());
  last.timeStamp = report.outcome.queryTimeStamp;
  last.analysis = report.query->Analysis();
  last.robust = report.outcome.robust;
  last.entries = report.outcome.entries;
  last.queryStartInTrack = report.queryStartInTrack;
  return last;
}

}  // namespace melo
