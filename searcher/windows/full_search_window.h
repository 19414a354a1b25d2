#pragma once

#include "searcher/app/full_search.h"
#include "searcher/windows/query_job_window.h"

class QGroupBox;

namespace melo {
class TextTableModel;
}

namespace melo::melodar {

// "Полный поиск": the last query searched again as the program searches and
// without its shortcuts (every frame; in the robust mode every track verified),
// the two answers one above the other.
class FullSearchWindow : public QueryJobWindow {
  Q_OBJECT

 public:
  FullSearchWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // Starts the searches in the background; false without a query or an index.
  bool Run();
  const FullSearchRun& LastRun() const { return run_; }
  TextTableModel* ProgramResults() const { return program_; }
  TextTableModel* FullResults() const { return full_; }

 private:
  void Show();

  FullSearchRun run_;
  QGroupBox* programGroup_;
  QGroupBox* fullGroup_;
  TextTableModel* program_;
  TextTableModel* full_;
};

}  // namespace melo::melodar
