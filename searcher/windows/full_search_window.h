#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/full_search.h"

#include <QWidget>

class QGroupBox;
class QLabel;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Полный поиск": the last query searched again as the program searches and
// without its shortcuts (every frame; in the robust mode every track verified),
// the two answers side by side.
class FullSearchWindow : public QWidget {
  Q_OBJECT

 public:
  FullSearchWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // Starts the searches in the background; false without a query or an index.
  bool Run();
  const BackgroundJob& Job() const { return job_; }
  const FullSearchRun& LastRun() const { return run_; }
  TextTableModel* ProgramResults() const { return program_; }
  TextTableModel* FullResults() const { return full_; }
  QString SummaryText() const;

 private:
  void Show();

  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  FullSearchRun run_;
  JobBar* bar_;
  QLabel* summary_;
  QGroupBox* programGroup_;
  QGroupBox* fullGroup_;
  TextTableModel* program_;
  TextTableModel* full_;
};

}  // namespace melo::melodar
