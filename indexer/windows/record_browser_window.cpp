#include "indexer/windows/record_browser_window.h"

#include "fingerprint/index_record.h"
#include "gui/help_video_panel.h"
#include "indexer/app/record_fields.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListView>
#include <QPlainTextEdit>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSplitter>
#include <QStringListModel>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace melo {

namespace {

constexpr int kHelpPanel = 7;

// The band the landmarks' peaks lie in (landmark_settings.h: 125-3594 Hz).
constexpr double kHighestPeakHz = 3600;

QScatterSeries* PeakSeries(const QString& name, const QColor& colour, qreal size) {
  auto* series = new QScatterSeries;
  series->setName(name);
  series->setColor(colour);
  series->setBorderColor(colour);
  series->setMarkerSize(size);
  return series;
}

}  // namespace

TForm9::TForm9(TDataModule1& store, QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(store), listGroup_(new QGroupBox), list_(new QListView),
      names_(new QStringListModel(this)), fields_(new QTableWidget(0, 2)), info_(new QPlainTextEdit),
      chart_(new QChart), envelope_(new QLineSeries), chartView_(new QChartView(chart_)), peakChart_(new QChart),
      anchors_(PeakSeries(QStringLiteral("Первый пик пары"), QColor(200, 30, 30), 7)),
      partners_(PeakSeries(QStringLiteral("Второй пик пары"), QColor(30, 90, 220), 5)),
      peakView_(new QChartView(peakChart_)), bands_(new QLabel),
      scroll_(new QScrollBar(Qt::Horizontal)), help_(new HelpVideoPanel(kHelpPanel)) {
  setWindowTitle(QStringLiteral("Просмотр базы данных"));
  help_->LoadPicture();
  help_->setVisible(help_->HasContent());

  list_->setModel(names_);
  list_->setUniformItemSizes(true);  // a list of 100,000 rows lays out at once
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) SelectRow(current.row());
          });
  auto* listLayout = new QVBoxLayout(listGroup_);
  listLayout->addWidget(list_);
  listGroup_->setTitle(browser_.ListCaption());

  fields_->setHorizontalHeaderLabels({QStringLiteral("Поле"), QStringLiteral("Значение")});
  fields_->verticalHeader()->hide();
  fields_->horizontalHeader()->setStretchLastSection(true);
  fields_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fields_->setColumnWidth(0, 200);
  // All thirteen fields at once, without a scroll bar.
  fields_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  fields_->setMinimumHeight(13 * (fontMetrics().height() + 6) + fields_->horizontalHeader()->sizeHint().height() + 4);

  info_->setReadOnly(true);
  auto* infoGroup = new QGroupBox(QStringLiteral("Дополнительная информация"));
  auto* infoLayout = new QVBoxLayout(infoGroup);
  infoLayout->addWidget(info_);

  chart_->setTitle(QStringLiteral("График огибающей"));
  chart_->addSeries(envelope_);
  chart_->legend()->hide();
  auto* x = new QValueAxis;
  x->setLabelFormat(QStringLiteral("%i"));
  auto* y = new QValueAxis;
  y->setLabelFormat(QStringLiteral("%i"));
  chart_->addAxis(x, Qt::AlignBottom);
  chart_->addAxis(y, Qt::AlignLeft);
  envelope_->attachAxis(x);
  envelope_->attachAxis(y);
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setMinimumHeight(200);
  chartView_->installEventFilter(this);

  peakChart_->setTitle(QStringLiteral("Ориентиры: пары пиков спектра"));
  peakChart_->addSeries(anchors_);
  peakChart_->addSeries(partners_);
  peakChart_->legend()->setAlignment(Qt::AlignRight);
  auto* seconds = new QValueAxis;
  seconds->setTitleText(QStringLiteral("Время, с"));
  seconds->setLabelFormat(QStringLiteral("%i"));
  auto* hertz = new QValueAxis;
  hertz->setTitleText(QStringLiteral("Частота, Гц"));
  hertz->setLabelFormat(QStringLiteral("%i"));
  hertz->setRange(0, kHighestPeakHz);
  hertz->setTickCount(5);
  peakChart_->addAxis(seconds, Qt::AlignBottom);
  peakChart_->addAxis(hertz, Qt::AlignLeft);
  for (QScatterSeries* series : {anchors_, partners_}) {
    series->attachAxis(seconds);
    series->attachAxis(hertz);
  }
  peakView_->setRenderHint(QPainter::Antialiasing);
  peakView_->setMinimumHeight(220);

  bands_->setToolTip(QStringLiteral("Спектры"));
  bands_->setScaledContents(true);
  bands_->setFixedHeight(64);
  bands_->setStyleSheet(QStringLiteral("background: black"));
  connect(scroll_, &QScrollBar::valueChanged, this, &TForm9::Redraw);

  auto* top = new QHBoxLayout;
  top->addWidget(fields_, 1);
  top->addWidget(help_, 0, Qt::AlignTop);
  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addLayout(top, 3);
  rightLayout->addWidget(infoGroup, 1);
  rightLayout->addWidget(chartView_, 3);
  rightLayout->addWidget(bands_);
  rightLayout->addWidget(peakView_, 3);
  rightLayout->addWidget(scroll_);

  auto* splitter = new QSplitter;
  splitter->addWidget(listGroup_);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({300, 900});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  resize(1200, 960);
}

void TForm9::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ReloadList();
}

void TForm9::hideEvent(QHideEvent* event) {
  help_->Close();
  QWidget::hideEvent(event);
}

void TForm9::ReloadList() {
  browser_.Reload();
  names_->setStringList(browser_.Names());
  listGroup_->setTitle(browser_.ListCaption());
  if (browser_.Names().isEmpty()) {
    SelectRow(0);  // nothing to show: the previous row's fields and pictures go
    return;
  }
  const QModelIndex first = names_->index(0);
  if (list_->currentIndex() == first)
    SelectRow(0);  // the same place, maybe another row now
  else
    list_->setCurrentIndex(first);
}

void TForm9::SelectRow(int index) {
  browser_.Load(index);
  ShowRow();
}

void TForm9::ShowRow() {
  const QList<QPair<QString, QString>> rows = RecordFieldRows(browser_.Info(), &browser_.Landmarks());
  fields_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < rows.size(); ++i) {
    // The names end with "=", the separator of the list's name=value lines.
    fields_->setItem(i, 0, new QTableWidgetItem(rows[i].first.chopped(1)));
    fields_->setItem(i, 1, new QTableWidgetItem(rows[i].second));
  }
  info_->setPlainText(browser_.Info().info);
  const QSignalBlocker quiet(scroll_);
  scroll_->setRange(0, browser_.ScrollMaximum());
  scroll_->setValue(0);
  Redraw();
}

void TForm9::Redraw() {
  const int width = chartView_->width();
  const int position = scroll_->value();
  const QList<QPointF> points = browser_.EnvelopePoints(position, width);
  envelope_->replace(points);
  // Qt's axes do not follow the points by themselves.
  auto* x = static_cast<QValueAxis*>(chart_->axes(Qt::Horizontal).first());
  auto* y = static_cast<QValueAxis*>(chart_->axes(Qt::Vertical).first());
  constexpr double kRecordSamples = IndexRecord::kSamples;
  const double first = position * kRecordSamples;
  x->setRange(first, first + std::max(1, RecordBrowser::ShownRecords(width)) * kRecordSamples);
  double highest = 100;
  for (const QPointF& p : points) highest = std::max(highest, p.y());
  y->setRange(0, highest * 1.1);
  y->applyNiceNumbers();
  const QImage picture = browser_.BandPicture(position, width);
  bands_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
  // The same stretch of the track as the envelope, in seconds.
  const RecordBrowser::Peaks peaks = browser_.LandmarkPeaks(position, width);
  anchors_->replace(peaks.anchors);
  partners_->replace(peaks.partners);
  const QPointF shown = RecordBrowser::ShownSeconds(position, width);
  auto* seconds = static_cast<QValueAxis*>(peakChart_->axes(Qt::Horizontal).first());
  seconds->setRange(shown.x(), shown.y());
  // Ticks on whole seconds, whatever second the stretch starts at.
  seconds->setTickType(QValueAxis::TicksDynamic);
  seconds->setTickAnchor(0);
  seconds->setTickInterval(shown.y() - shown.x() > 30 ? 5 : 2);
}

bool TForm9::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chartView_ && event->type() == QEvent::Resize) Redraw();
  return QWidget::eventFilter(watched, event);
}

}  // namespace melo
