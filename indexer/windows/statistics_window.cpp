#include "indexer/windows/statistics_window.h"

#include "indexer/app/show_in_file_manager.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTreeWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

namespace melo {

namespace {

QColor FromBgr(BgrColour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void SetTitle(QChart* chart, const StatisticsChart& data) {
  QStringList lines;
  for (const QString& line : data.title) lines << line.toHtmlEscaped();
  // An empty pie would look like a chart that failed to draw.
  const bool allZero = std::all_of(data.slices.begin(), data.slices.end(), [](const ChartSlice& s) { return s.value == 0; });
  if (allZero) lines << QStringLiteral("<br><i>Все значения равны нулю</i>");
  chart->setTitle(lines.join(QStringLiteral("<br>")));
}

// One slice per entry, its share written on it when there is room; the legend
// names each slice with its value.
void FillPie(QChart* chart, const StatisticsChart& data) {
  chart->removeAllSeries();
  auto* series = new QPieSeries;
  for (const ChartSlice& s : data.slices) series->append(s.label, static_cast<qreal>(s.value))->setBrush(FromBgr(s.colour));
  chart->addSeries(series);
  const QList<QPieSlice*> slices = series->slices();
  for (QPieSlice* slice : slices) {
    slice->setLabel(QStringLiteral("%1 %").arg(qRound(slice->percentage() * 100)));
    slice->setLabelVisible(slice->percentage() >= 0.04);
  }
  // Set after the slices' labels, which the markers would otherwise follow.
  const QList<QLegendMarker*> markers = chart->legend()->markers(series);
  for (qsizetype i = 0; i < markers.size() && i < data.slices.size(); ++i) {
    markers[i]->setLabel(QStringLiteral("%1: %2").arg(data.slices[i].label).arg(data.slices[i].value));
  }
}

// One bar per bucket, each in its own colour: every bucket is a set of its own
// with its value in its own column, stacked on zeros elsewhere.
void FillBars(QChart* chart, const StatisticsChart& data) {
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);  // handed back to us, not deleted
    delete axis;
  }
  auto* series = new QStackedBarSeries;
  QStringList categories;
  int64_t highest = 0;
  for (qsizetype i = 0; i < data.slices.size(); ++i) {
    const ChartSlice& s = data.slices[i];
    categories << s.label;
    highest = std::max(highest, s.value);
    auto* set = new QBarSet(s.label);
    for (qsizetype j = 0; j < data.slices.size(); ++j) *set << (i == j ? static_cast<qreal>(s.value) : 0.0);
    set->setColor(FromBgr(s.colour));
    series->append(set);
  }
  chart->addSeries(series);
  auto* x = new QBarCategoryAxis;
  x->append(categories);
  if (categories.size() > 6) x->setLabelsAngle(-45);
  auto* y = new QValueAxis;
  y->setRange(0, std::max<int64_t>(1, highest));
  y->setLabelFormat(QStringLiteral("%i"));
  y->applyNiceNumbers();
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(x);
  series->attachAxis(y);
  chart->legend()->hide();
}

}  // namespace

TForm10::TForm10(TDataModule1& store, std::function<QString()> databasePath, QWidget* parent)
    : QDialog(parent), store_(store), databasePath_(std::move(databasePath)), totals_(new QTreeWidget(this)),
      pages_(new QTabWidget(this)), unreadable_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Показаны основные статистические данные для текущей базы данных."));
  totals_->setHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
  totals_->setRootIsDecorated(false);
  totals_->setSelectionMode(QAbstractItemView::NoSelection);
  totals_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  totals_->setMinimumWidth(380);
  totals_->setFocusPolicy(Qt::NoFocus);

  auto* files = new QTabWidget;
  files->addTab(AddChartPage(&DatabaseStatistics::filesByType, false), QStringLiteral("По типу данных"));
  files->addTab(AddChartPage(&DatabaseStatistics::filesByExtension, false), QStringLiteral("По расширению"));
  files->addTab(AddChartPage(&DatabaseStatistics::filesByLandmarks, false), QStringLiteral("По ориентирам"));
  auto* hours = new QTabWidget;
  hours->addTab(AddChartPage(&DatabaseStatistics::hoursByType, false), QStringLiteral("По типу данных"));
  hours->addTab(AddChartPage(&DatabaseStatistics::hoursByExtension, false), QStringLiteral("По расширению"));
  pages_->addTab(files, QStringLiteral("Файлы"));
  pages_->addTab(hours, QStringLiteral("Часы"));
  pages_->addTab(AddChartPage(&DatabaseStatistics::tags, false), QStringLiteral("Доп. инфо"));
  pages_->addTab(AddChartPage(&DatabaseStatistics::tracksPerFile, false), QStringLiteral("Кол-во дорожек"));
  pages_->addTab(AddChartPage(&DatabaseStatistics::durations, true), QStringLiteral("Продолжительность"));

  auto* note = new QLabel(QStringLiteral(
      "Показаны основные статистические данные для текущей базы данных. Если файл базы данных занимает "
      "много места, сожмите его командой главного окна \"Сжать базу данных\"."));
  note->setWordWrap(true);
  unreadable_->setStyleSheet(QStringLiteral("color: #b00000"));
  unreadable_->setText(QStringLiteral("Таблица базы данных не читается: показаны нули."));
  unreadable_->hide();

  auto* explorer = new QPushButton(QStringLiteral("Проводник"));
  auto* refresh = new QPushButton(QStringLiteral("Обновить"));
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(explorer, &QPushButton::clicked, this, &TForm10::ShowDatabaseFile);
  connect(refresh, &QPushButton::clicked, this, &TForm10::Refresh);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(explorer);
  buttons->addStretch();
  buttons->addWidget(refresh);
  buttons->addWidget(close);

  auto* top = new QHBoxLayout;
  top->addWidget(totals_);
  top->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(unreadable_);
  layout->addWidget(note);
  layout->addLayout(buttons);
  resize(1180, 620);
}

QWidget* TForm10::AddChartPage(const StatisticsChart DatabaseStatistics::*data, bool bars) {
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignRight);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  charts_.append({data, chart, bars});
  return view;
}

void TForm10::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Refresh();
}

void TForm10::Refresh() {
  setWindowTitle(QStringLiteral("База данных: ") + databasePath_());
  statistics_ = DatabaseStatistics::Read(store_, MakeColourTable(*QRandomGenerator::global()));
  ShowTotals();
  unreadable_->setVisible(!statistics_.readable);
  for (const ChartPage& page : charts_) {
    const StatisticsChart& data = statistics_.*page.data;
    SetTitle(page.chart, data);
    if (page.bars)
      FillBars(page.chart, data);
    else
      FillPie(page.chart, data);
  }
}

void TForm10::ShowTotals() {
  totals_->clear();
  for (const StatisticsTotal& total : statistics_.totals) {
    // The names end with "=", the separator of the list's name=value lines.
    auto* item = new QTreeWidgetItem(totals_, {total.name.chopped(1), QString::number(total.value)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
}

void TForm10::ShowDatabaseFile() { ShowInFileManager(databasePath_()); }

}  // namespace melo
