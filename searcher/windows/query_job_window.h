#pragma once

#include "searcher/app/background_job.h"
#include "searcher/engine/search_parameters.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QLabel;

namespace melo {
class SearcherSession;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// A debug window whose work runs on the last search's query in the background:
// the job with its bar and "Стоп", a summary line, and the checks each such
// window makes before it starts.
class QueryJobWindow : public QWidget {
  Q_OBJECT

 public:
  const BackgroundJob& Job() const { return job_; }
  QString SummaryText() const;

 protected:
  QueryJobWindow(SearcherSession& session, const LastSearch& last, const QString& title, QWidget* parent);

  using Work = std::function<void(const std::vector<int16_t>& samples, const SearchParameters& params,
                                  JobProgress& progress)>;
  // Runs `work` on the last query with the search's parameters (the query
  // seconds its own length), then `done` on the main thread. False while a job
  // runs, or, saying why, without a query or (when `needsIndex`) a loaded index.
  bool StartOnQuery(Work work, std::function<void()> done, bool needsIndex = true);
  // Says so and is false when there is no query yet.
  bool HasQuery();

  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  JobBar* bar_;
  QLabel* summary_;
};

}  // namespace melo::melodar
