#pragma once

#include "indexer/app/database_statistics.h"

#include <QDialog>
#include <functional>

class QChart;
class QLabel;
class QTabWidget;
class QTreeWidget;

namespace melo {

class TDataModule1;

// "Информация о базе данных": fourteen totals and eight charts of the current
// database, read anew each time the window is shown and on "Обновить".
class TForm10 : public QDialog {
  Q_OBJECT

 public:
  TForm10(TDataModule1& store, std::function<QString()> databasePath, QWidget* parent = nullptr);

  void Refresh();
  // "Проводник": the database file in the desktop's file manager.
  void ShowDatabaseFile();

  const DatabaseStatistics& Statistics() const { return statistics_; }
  QTabWidget* Pages() const { return pages_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct ChartPage {
    const StatisticsChart DatabaseStatistics::*data;
    QChart* chart;
    bool bars;
  };

  QWidget* AddChartPage(const StatisticsChart DatabaseStatistics::*data, bool bars);
  void ShowTotals();

  TDataModule1& store_;
  std::function<QString()> databasePath_;
  DatabaseStatistics statistics_;
  QTreeWidget* totals_;
  QTabWidget* pages_;
  QLabel* unreadable_;
  QList<ChartPage> charts_;
};

}  // namespace melo
