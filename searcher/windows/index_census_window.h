#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/index_census.h"

#include <QWidget>

class QLabel;
class QTabWidget;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Кол-во данных" and "Размер записи": what the loaded index holds, counted over
// every record and per track, and what each structure costs in memory; one page
// for each item.
class IndexCensusWindow : public QWidget {
  Q_OBJECT

 public:
  enum Page { kCounts = 0, kSizes = 1 };
  IndexCensusWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // Shows the page and counts anew.
  void Open(Page page);
  bool Count();
  const BackgroundJob& Job() const { return job_; }
  const IndexCensus& Census() const { return census_; }
  QTabWidget* Tabs() const { return tabs_; }
  TextTableModel* Counts() const { return counts_; }
  TextTableModel* Sizes() const { return sizes_; }
  TextTableModel* Tracks() const { return tracks_; }
  QString RecordText() const;

 private:
  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  IndexCensus census_;
  JobBar* bar_;
  QTabWidget* tabs_;
  TextTableModel* counts_;
  TextTableModel* sizes_;
  TextTableModel* tracks_;
  QLabel* record_;
};

}  // namespace melo::melodar
