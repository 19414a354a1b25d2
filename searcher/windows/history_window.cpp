#include "searcher/windows/history_window.h"

#include "base/dialogs.h"
#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"
#include "gui/info_panel.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/text_table_view.h"

#include <QAction>
#include <QActionGroup>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMenuBar>
#include <QPieSeries>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace melo::melodar {

namespace {

constexpr int kDebugModeDelayMs = 1000;
// Columns narrower than this are hidden and left out of what is copied.
constexpr int kVisibleWidth = 11;
const QList<int> kTechnicalColumns = {5, 7, 8, 9, 10, 11};

// Colours written as 0x00BBGGRR numbers, red in the low byte.
QColor Bgr(unsigned value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

QChartView* ChartView(QChart* chart) {
  chart->setMargins(QMargins(2, 2, 2, 2));
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

}  // namespace

TForm11::TForm11(Dialogs& dialogs, FileChooser& chooser, bool debugMode, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), chooser_(chooser), debugMode_(debugMode) {
  setWindowTitle(QStringLiteral("История поиска"));
  BuildMenu();
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildTabs(), 1);
  columns->addWidget(BuildInfo());
  layout->addLayout(columns, 1);
  layout->addWidget(BuildButtons());
  setCentralWidget(central);
  BuildStatusBar();
  resize(1280, 720);
  UpdateTable();

  debugTimer_.setSingleShot(true);
  connect(&debugTimer_, &QTimer::timeout, this, &TForm11::ApplyDebugMode);
  debugTimer_.start(kDebugModeDelayMs);
}

void TForm11::BuildMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
  file->addAction(QStringLiteral("Копировать"), this, &TForm11::Copy);
  file->addAction(QStringLiteral("Сохранить"), this, &TForm11::Save);
  file->addAction(QStringLiteral("Очистить"), this, &TForm11::Clear);
  file->addSeparator();
  file->addAction(QStringLiteral("Закрыть"), this, &QWidget::close);

  auto checkItem = [](QMenu* menu, const QString& text) {
    QAction* item = menu->addAction(text);
    item->setCheckable(true);
    item->setChecked(true);
    return item;
  };
  QMenu* view = menuBar()->addMenu(QStringLiteral("Вид"));
  foundOnly_ = checkItem(view, QStringLiteral("Показывать только результативные записи"));
  confirmedOnly_ = checkItem(view, QStringLiteral("Показывать только подтверждённые записи"));
  view->addSeparator();
  showInfo_ = checkItem(view, QStringLiteral("Показать описание и статистику"));
  // Confirmed lines are found lines: the second filter implies the first.
  connect(foundOnly_, &QAction::triggered, this, [this](bool on) {
    if (!on) confirmedOnly_->setChecked(false);
    UpdateTable();
  });
  connect(confirmedOnly_, &QAction::triggered, this, [this](bool on) {
    if (on) foundOnly_->setChecked(true);
    UpdateTable();
  });
  connect(showInfo_, &QAction::toggled, this, [this](bool shown) { info_->setVisible(shown); });

  QMenu* unique = menuBar()->addMenu(QStringLiteral("Уникальные значения"));
  uniqueConfirmedOnly_ = checkItem(unique, QStringLiteral("Показывать только подтверждённые"));
  unique->addSeparator();
  auto* order = new QActionGroup(unique);
  byCount_ = checkItem(unique, QStringLiteral("Сортировка по количеству"));
  QAction* byTitle = unique->addAction(QStringLiteral("Сортировка по алфавиту"));
  byTitle->setCheckable(true);
  order->addAction(byCount_);
  order->addAction(byTitle);
  auto rerun = [this] {
    if (tabs_->currentWidget() == uniqueTab_) UpdateUniqTable();
  };
  connect(order, &QActionGroup::triggered, this, rerun);
  connect(uniqueConfirmedOnly_, &QAction::triggered, this, rerun);
}

QWidget* TForm11::BuildTabs() {
  tabs_ = new QTabWidget;
  table_ = new TextTableModel(
      {QStringLiteral("Момент запроса"), QStringLiteral("Поиск"), QStringLiteral("Подтверждение"),
       QStringLiteral("Позиция"), QStringLiteral("Время"), QStringLiteral("Номер"), QStringLiteral("Название"),
       QStringLiteral("Полных сравнений"), QStringLiteral("Разница в спектрах"), QStringLiteral("Черновая разница"),
       QStringLiteral("Итоговая разница"), QStringLiteral("Точек")},
      this);
  tableView_ = TextTableView(table_, {135, 55, 115, 70, 60, 55, 330, 300, 130, 120, 120, 50});
  connect(tableView_, &QTableView::clicked, this, [this](const QModelIndex& i) { emit RowClicked(LineAt(i)); });
  connect(tableView_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& i) { emit RowDoubleClicked(LineAt(i)); });
  lastRecordsTab_ = tableView_;
  tabs_->addTab(lastRecordsTab_, QStringLiteral("Последние записи"));

  unique_ = new TextTableModel({QStringLiteral("№"), QStringLiteral("Кол-во"), QStringLiteral("Название")}, this);
  uniqueView_ = TextTableView(unique_, {50, 50, 600});
  uniqueTab_ = uniqueView_;
  tabs_->addTab(uniqueTab_, QStringLiteral("Уникальные значения"));

  statisticsTab_ = BuildStatistics();
  tabs_->addTab(statisticsTab_, QStringLiteral("Статистика результатов"));
  failuresTab_ = BuildFailures();
  tabs_->addTab(failuresTab_, QStringLiteral("Сатистика неудач"));
  connect(tabs_, &QTabWidget::currentChanged, this, &TForm11::TabChanged);
  return tabs_;
}

QWidget* TForm11::BuildStatistics() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  statistics_ = new QTableWidget(0, 2);
  statistics_->setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
  statistics_->verticalHeader()->hide();
  statistics_->verticalHeader()->setDefaultSectionSize(20);
  statistics_->setColumnWidth(0, 200);
  statistics_->horizontalHeader()->setStretchLastSection(true);
  statistics_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->addWidget(statistics_, 0, 0);

  auto* bars = new QChart;
  bars->setTitle(QStringLiteral("Результаты поиска"));
  auto* series = new QBarSeries;
  const QList<QPair<QString, unsigned>> kinds = {{QStringLiteral("Найдено"), 255},
                                                 {QStringLiteral("Не найдено"), 65535},
                                                 {QStringLiteral("Подтверждено"), 32768},
                                                 {QStringLiteral("Не подтверждено"), 8421504}};
  for (int i = 0; i < 4; ++i) {
    bars_[i] = new QBarSet(kinds[i].first);
    bars_[i]->setColor(Bgr(kinds[i].second));
    bars_[i]->setLabelColor(Qt::black);  // readable on yellow as on red
    bars_[i]->append(0);
    series->append(bars_[i]);
  }
  series->setLabelsVisible(true);
  bars->addSeries(series);
  auto* categories = new QBarCategoryAxis;
  categories->append(QStringLiteral("Последние поиски"));
  bars->addAxis(categories, Qt::AlignBottom);
  series->attachAxis(categories);
  countAxis_ = new QValueAxis;
  countAxis_->setLabelFormat(QStringLiteral("%d"));
  bars->addAxis(countAxis_, Qt::AlignLeft);
  series->attachAxis(countAxis_);
  bars->legend()->setAlignment(Qt::AlignRight);
  grid->addWidget(ChartView(bars), 0, 1);

  auto* timeChart = new QChart;
  timeChart->setTitle(QStringLiteral("Время поиска последних 100 аудио запросов (сек)"));
  times_ = new QLineSeries;
  timeChart->addSeries(times_);
  timeChart->legend()->hide();
  auto* x = new QValueAxis;
  x->setRange(0, 100);
  x->setTickCount(5);
  x->setLabelFormat(QStringLiteral("%d"));
  timeAxis_ = new QValueAxis;
  timeAxis_->setLabelFormat(QStringLiteral("%.3f"));
  timeChart->addAxis(x, Qt::AlignBottom);
  timeChart->addAxis(timeAxis_, Qt::AlignLeft);
  times_->attachAxis(x);
  times_->attachAxis(timeAxis_);
  grid->addWidget(ChartView(timeChart), 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(0, 1);
  grid->setRowStretch(1, 1);
  statistics_->setMinimumWidth(330);
  return page;
}

QWidget* TForm11::BuildFailures() {
  auto* pie = new QChart;
  pie->setTitle(QStringLiteral("Основные проблемы поиска"));
  failures_ = new QPieSeries;
  const QList<QPair<QString, unsigned>> reasons = {{QStringLiteral("Нет похожих ключевых точкек"), 255},
                                                   {QStringLiteral("Неудачная проверка амплитуд"), 65535},
                                                   {QStringLiteral("Разница с остальными спектрами"), 32768},
                                                   {QStringLiteral("Слишком большая разница"), 16711680}};
  for (const auto& [label, colour] : reasons) {
    QPieSlice* slice = failures_->append(label, 0);
    slice->setColor(Bgr(colour));
  }
  pie->addSeries(failures_);
  pie->legend()->setAlignment(Qt::AlignRight);
  return ChartView(pie);
}

QWidget* TForm11::BuildInfo() {
  info_ = new InfoPanel(QStringLiteral(
      "Здесь собраны итоги последних 1000 поисков. «Подтверждено» — найден тот же трек, что и поиском раньше, "
      "не дальше 10 секунд от прежнего места: такому результату можно верить. Меню «Вид» скрывает неудачные и "
      "неподтверждённые поиски, на счёт записей это не влияет. На вкладке «Уникальные значения» — сколько раз "
      "был найден каждый трек."),
                        3);
  info_->setFixedWidth(270);
  video_ = info_->Video();
  return info_;
}

QWidget* TForm11::BuildButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const QList<QPair<QString, void (TForm11::*)()>> buttons = {{QStringLiteral("Копировать"), &TForm11::Copy},
                                                              {QStringLiteral("Сохранить"), &TForm11::Save},
                                                              {QStringLiteral("Очистить"), &TForm11::Clear}};
  for (const auto& [text, action] : buttons) {
    auto* button = new QPushButton(text);
    connect(button, &QPushButton::clicked, this, action);
    layout->addWidget(button);
  }
  layout->addStretch();
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  layout->addWidget(close);
  return row;
}

void TForm11::BuildStatusBar() {
  for (const int width : {170, 150, 150, 170, 190, 190}) {
    auto* panel = new QLabel;
    panel->setMinimumWidth(width);
    statusBar()->addWidget(panel);
    status_.append(panel);
  }
}

QString TForm11::StatusText(int panel) const { return status_.value(panel) ? status_[panel]->text() : QString(); }

void TForm11::AppendLine(const QString& line) {
  history_.Append(line);
  UpdateTable();
}

void TForm11::UpdateTable() {
  const SearchHistory::Summary s = history_.Summarize({foundOnly_->isChecked(), confirmedOnly_->isChecked()});
  shown_ = s.shown;
  QList<QStringList> rows;
  for (const int line : s.shown) rows.append(SearchHistory::Fields(history_.Lines()[line]));
  if (rows.isEmpty()) rows.append(QStringList(SearchHistory::kFieldCount));
  table_->SetRows(rows);
  tableView_->selectRow(static_cast<int>(rows.size()) - 1);
  tableView_->scrollToBottom();

  statistics_->setRowCount(static_cast<int>(s.statistics.size()));
  for (int r = 0; r < statistics_->rowCount(); ++r) {
    const qsizetype eq = s.statistics[r].indexOf(QLatin1Char('='));
    statistics_->setItem(r, 0, new QTableWidgetItem(s.statistics[r].left(eq)));
    statistics_->setItem(r, 1, new QTableWidgetItem(s.statistics[r].mid(eq + 1)));
  }
  for (int panel = 0; panel < 5; ++panel) status_[panel]->setText(s.status[panel]);
  status_[5]->clear();
  const int counts[4] = {s.found, s.notFound, s.confirmed, s.notConfirmed};
  for (int i = 0; i < 4; ++i) bars_[i]->replace(0, counts[i]);
  // Axes do not follow their series by themselves.
  countAxis_->setRange(0, std::max({1, s.found, s.notFound}) * 1.15);
  countAxis_->setTickCount(5);
  countAxis_->applyNiceNumbers();
  TabChanged();
}

void TForm11::TabChanged() {
  QWidget* tab = tabs_->currentWidget();
  if (tab == uniqueTab_) UpdateUniqTable();
  if (tab == statisticsTab_) DrawGraph();
  if (tab == failuresTab_) FailureAnalysis();
}

void TForm11::UpdateUniqTable() {
  QList<QStringList> rows = history_.UniqueTitles(uniqueConfirmedOnly_->isChecked(), byCount_->isChecked());
  const qsizetype n = rows.size();
  if (rows.isEmpty()) rows.append(QStringList(3));
  unique_->SetRows(rows);
  status_[5]->setText(QStringLiteral("Уникальных записей: %1").arg(n));
}

void TForm11::DrawGraph() {
  const QList<QPointF> points = history_.SearchTimes();
  times_->replace(points);
  double top = 0;
  for (const QPointF& p : points) top = std::max(top, p.y());
  timeAxis_->setRange(0, top > 0 ? top * 1.1 : 1);
  timeAxis_->applyNiceNumbers();
}

void TForm11::FailureAnalysis() {
  const auto reasons = history_.FailureReasons();
  const QList<QPieSlice*> slices = failures_->slices();
  for (int i = 0; i < SearchHistory::kReasonCount; ++i) {
    slices[i]->setValue(reasons[i]);
    // The legend names the reasons with their counts; labels beside the pie
    // would be cut.
    slices[i]->setLabel(slices[i]->label().section(QStringLiteral(": "), 0, 0) + QStringLiteral(": %1").arg(reasons[i]));
  }
}

void TForm11::ApplyDebugMode() {
  debugTimer_.stop();
  if (debugMode_) return;
  const int at = tabs_->indexOf(failuresTab_);
  if (at >= 0) tabs_->removeTab(at);
  for (const int column : kTechnicalColumns) tableView_->setColumnWidth(column, 0);
}

void TForm11::ShowInfoBlock(bool shown) { showInfo_->setChecked(shown); }

QString TForm11::LineAt(const QModelIndex& index) const {
  return index.isValid() && index.row() < shown_.size() ? history_.Lines()[shown_[index.row()]] : QString();
}

QStringList TForm11::ActiveTabLines() const {
  QWidget* tab = tabs_->currentWidget();
  if (tab == statisticsTab_) {
    QStringList lines;
    for (int r = 0; r < statistics_->rowCount(); ++r) {
      lines.append(statistics_->item(r, 0)->text() + QLatin1Char('=') + statistics_->item(r, 1)->text());
    }
    return lines;
  }
  const QTableView* view = tab == uniqueTab_ ? uniqueView_ : tableView_;
  const TextTableModel& model = tab == uniqueTab_ ? *unique_ : *table_;
  QStringList lines;
  for (const QStringList& row : model.Rows()) {
    if (row.join(QString()).isEmpty()) continue;  // the placeholder row of an empty table
    QStringList cells = {row.value(0)};
    for (int c = 1; c < model.columnCount(); ++c) {
      if (view->columnWidth(c) >= kVisibleWidth) cells.append(row.value(c));
    }
    lines.append(cells.join(QLatin1Char('\t')));
  }
  return lines;
}

void TForm11::Copy() {
  if (tabs_->currentWidget() == failuresTab_) return dialogs_.ShowMessage(QStringLiteral("Нечего сохранять!"));
  QGuiApplication::clipboard()->setText(ActiveTabLines().join(QLatin1Char('\n')));
}

void TForm11::Save() {
  if (tabs_->currentWidget() == failuresTab_) return dialogs_.ShowMessage(QStringLiteral("Нечего сохранять!"));
  SaveLinesToChosenFile(chooser_, dialogs_, ActiveTabLines());
}

void TForm11::Clear() {
  history_.Clear();
  UpdateTable();
}

void TForm11::hideEvent(QHideEvent* event) {
  video_->Close();
  QMainWindow::hideEvent(event);
}

}  // namespace melo::melodar
