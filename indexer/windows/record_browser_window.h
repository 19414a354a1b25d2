#pragma once

#include "indexer/app/record_browser.h"

#include <QWidget>

class QChart;
class QChartView;
class QGroupBox;
class QLabel;
class QLineSeries;
class QListView;
class QPlainTextEdit;
class QScatterSeries;
class QScrollBar;
class QStringListModel;
class QTableWidget;

namespace melo {

class HelpVideoPanel;
class TDataModule1;

// "Просмотр базы данных": every row of the current database by source file name;
// the selected row's fields, tag text, its fingerprint as an envelope chart and a
// band picture, and its landmarks as a chart of the peaks they pair (time and
// frequency), scrolled along the track a chart's width at a time.
class TForm9 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm9(TDataModule1& store, QWidget* parent = nullptr);

  // Reads the list anew and shows its first row (what showing the window does).
  void ReloadList();
  void SelectRow(int index);
  void Redraw();

  const RecordBrowser& Browser() const { return browser_; }
  QLineSeries* Envelope() const { return envelope_; }
  QChartView* EnvelopeView() const { return chartView_; }
  QScrollBar* ScrollBar() const { return scroll_; }
  QLabel* BandPicture() const { return bands_; }
  QChart* PeakChart() const { return peakChart_; }
  QScatterSeries* Anchors() const { return anchors_; }
  QScatterSeries* Partners() const { return partners_; }
  QTableWidget* Fields() const { return fields_; }
  QGroupBox* ListGroup() const { return listGroup_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRow();

  RecordBrowser browser_;
  QGroupBox* listGroup_;
  QListView* list_;
  QStringListModel* names_;
  QTableWidget* fields_;
  QPlainTextEdit* info_;
  QChart* chart_;
  QLineSeries* envelope_;
  QChartView* chartView_;
  QChart* peakChart_;
  QScatterSeries* anchors_;
  QScatterSeries* partners_;
  QChartView* peakView_;
  QLabel* bands_;
  QScrollBar* scroll_;
  HelpVideoPanel* help_;
};

}  // namespace melo
