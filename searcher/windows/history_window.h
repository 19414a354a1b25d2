#pragma once

#include "searcher/app/search_history.h"

#include <QMainWindow>
#include <QTimer>

class QAction;
class QBarSet;
class QChart;
class QLabel;
class QLineSeries;
class QPieSeries;
class QTabWidget;
class QTableView;
class QTableWidget;
class QValueAxis;

namespace melo {
class Dialogs;
class FileChooser;
class HelpVideoPanel;
class InfoPanel;
class TextTableModel;
}  // namespace melo

namespace melo::melodar {

// "История поиска": the last 1000 searches as a table with two filters, the
// unique titles, the statistics of search times and outcomes, and (debug mode)
// why searches failed. The lines and everything counted from them live in
// SearchHistory; the window shows them.
class TForm11 : public QMainWindow {
  Q_OBJECT

 public:
  TForm11(Dialogs& dialogs, FileChooser& chooser, bool debugMode, QWidget* parent = nullptr);

  // After every search: a confirming hit first marks the line before it.
  void AppendLine(const QString& line);
  void ConfirmLastRecord() { history_.ConfirmLastRecord(); }
  void UpdateTable();
  void UpdateUniqTable();
  void DrawGraph();
  void FailureAnalysis();
  // The one-shot timer's body: outside debug mode the failure tab and the
  // technical columns go.
  void ApplyDebugMode();
  void ShowInfoBlock(bool shown);

  // Copies (or saves) the active tab: each shown table row's visible columns, or
  // the statistics lines.
  void Copy();
  void Save();
  void Clear();

  const SearchHistory& History() const { return history_; }
  QTabWidget* Tabs() const { return tabs_; }
  TextTableModel& Table() const { return *table_; }
  QAction* FoundOnlyItem() const { return foundOnly_; }
  QAction* ConfirmedOnlyItem() const { return confirmedOnly_; }
  QString StatusText(int panel) const;

 signals:
  // A click or a double click on a history row (the row's whole line).
  void RowClicked(const QString& line);
  void RowDoubleClicked(const QString& line);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildMenu();
  QWidget* BuildTabs();
  QWidget* BuildStatistics();
  QWidget* BuildFailures();
  QWidget* BuildInfo();
  QWidget* BuildButtons();
  void BuildStatusBar();
  void TabChanged();
  QStringList ActiveTabLines() const;
  QString LineAt(const QModelIndex& index) const;

  Dialogs& dialogs_;
  FileChooser& chooser_;
  const bool debugMode_;
  SearchHistory history_;
  QList<int> shown_;  // the history line behind each table row
  QTimer debugTimer_;

  QAction* foundOnly_;
  QAction* confirmedOnly_;
  QAction* showInfo_;
  QAction* uniqueConfirmedOnly_;
  QAction* byCount_;
  QTabWidget* tabs_;
  QWidget* lastRecordsTab_;
  QWidget* uniqueTab_;
  QWidget* statisticsTab_;
  QWidget* failuresTab_;
  TextTableModel* table_;
  QTableView* tableView_;
  TextTableModel* unique_;
  QTableView* uniqueView_;
  QTableWidget* statistics_;
  QBarSet* bars_[4];
  QValueAxis* countAxis_;
  QLineSeries* times_;
  QValueAxis* timeAxis_;
  QPieSeries* failures_;
  InfoPanel* info_;
  HelpVideoPanel* video_;
  QList<QLabel*> status_;
};

}  // namespace melo::melodar
