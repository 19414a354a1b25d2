#include "searcher/windows/query_results_window.h"

#include "base/dialogs.h"
#include "gui/desktop_actions.h"
#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"
#include "gui/info_panel.h"
#include "searcher/windows/main_menu.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/text_table_view.h"
#include "searcher/app/web_addresses.h"
#include "searcher/engine/search_presentation.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QGuiApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace melo::melodar {

namespace {

constexpr int kDebugModeDelayMs = 1000;
constexpr double kAmplitudeTop = 32768;

// Result 1 stands out; the others fade from blue to grey.
const QList<QColor> kHitColours = {QColor(220, 30, 30), QColor(30, 90, 200), QColor(0, 150, 150), QColor(150, 60, 190),
                                   QColor(200, 120, 0), QColor(90, 90, 200),  QColor(0, 130, 60),  QColor(170, 80, 120),
                                   QColor(110, 110, 60), QColor(120, 120, 120)};

QPushButton* Button(const QString& text, QWidget* owner, const std::function<void()>& run) {
  auto* button = new QPushButton(text);
  QObject::connect(button, &QPushButton::clicked, owner, run);
  return button;
}

}  // namespace

TForm4::TForm4(const MainMenu& commands, Dialogs& dialogs, FileChooser& chooser, bool debugMode, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), chooser_(chooser), debugMode_(debugMode) {
  setWindowTitle(QStringLiteral("Поисковый запрос и результаты поиска"));
  BuildMenu(commands);
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* columns = new QHBoxLayout;
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(BuildChart());
  split->addWidget(BuildTabs());
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  columns->addWidget(split, 1);
  columns->addWidget(BuildInfo());
  layout->addLayout(columns, 1);
  layout->addWidget(BuildButtons(commands));
  setCentralWidget(central);
  status_ = new QLabel;
  status_->setMinimumWidth(150);
  statusBar()->addWidget(status_);
  resize(1180, 760);

  debugTimer_.setSingleShot(true);
  connect(&debugTimer_, &QTimer::timeout, this, &TForm4::ApplyDebugMode);
  debugTimer_.start(kDebugModeDelayMs);
}

void TForm4::BuildMenu(const MainMenu& commands) {
  QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
  file->addAction(QStringLiteral("Открыть"), commands.openQuery, &QAction::trigger);
  file->addAction(QStringLiteral("Сохранить в DAT-файл"), commands.saveQueryDat, &QAction::trigger);
  file->addAction(QStringLiteral("Сохранить в WAV-файл"), commands.saveQueryWav, &QAction::trigger);
  file->addAction(QStringLiteral("Прослушать"), commands.playQuery, &QAction::trigger);
  file->addSeparator();
  file->addAction(QStringLiteral("Копировать в буфер обмена"), this, &TForm4::Copy);
  file->addAction(QStringLiteral("Сохранить в файл"), this, &TForm4::Save);
  file->addAction(QStringLiteral("Искать по названию"), this, &TForm4::SearchByTitle);
  file->addSeparator();
  file->addAction(QStringLiteral("Закрыть"), this, &QWidget::close);

  QMenu* charts = menuBar()->addMenu(QStringLiteral("Графики"));
  auto check = [&](const QString& text) {
    QAction* item = charts->addAction(text);
    item->setCheckable(true);
    item->setChecked(true);
    return item;
  };
  showQuery_ = check(QStringLiteral("Показать аудио запрос"));
  showBest_ = check(QStringLiteral("Покзать самый лучший результат"));
  showOthers_ = check(QStringLiteral("Показать остальные результаты"));
  connect(showQuery_, &QAction::toggled, this, [this](bool shown) {
    envelope_->setVisible(shown);
    keypoints_->setVisible(shown);
    AddResult();
  });
  connect(showBest_, &QAction::toggled, this, &TForm4::AddResult);
  connect(showOthers_, &QAction::toggled, this, &TForm4::AddResult);
}

QWidget* TForm4::BuildChart() {
  chart_ = new QChart;
  chart_->setTitle(QStringLiteral("Аудио запрос и ключевые точки найденных треков"));
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  axisX_ = new QValueAxis;
  axisX_->setTitleText(QStringLiteral("Отсчёты запроса (48000 в секунду)"));
  axisX_->setLabelFormat(QStringLiteral("%d"));
  axisY_ = new QValueAxis;
  axisY_->setTitleText(QStringLiteral("Амплитуда"));
  axisY_->setLabelFormat(QStringLiteral("%d"));
  axisY_->setRange(0, kAmplitudeTop);
  axisX_->setRange(0, querySeconds_ * 48000.0);
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);
  auto add = [this](QXYSeries* series) {
    chart_->addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
  };
  envelope_ = new QLineSeries;
  envelope_->setName(QStringLiteral("Запрос"));
  envelope_->setPen(QPen(QColor(120, 150, 190), 1));
  add(envelope_);
  keypoints_ = new QScatterSeries;
  keypoints_->setName(QStringLiteral("Точки запроса"));
  keypoints_->setMarkerSize(8);
  keypoints_->setColor(Qt::black);
  add(keypoints_);
  for (int k = 0; k < SearchResults::kCapacity; ++k) {
    auto* series = new QScatterSeries;
    series->setName(QStringLiteral("Результат %1").arg(k + 1));
    series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    series->setMarkerSize(k == 0 ? 9 : 6);
    series->setColor(kHitColours[k]);
    series->setBorderColor(kHitColours[k]);
    add(series);
    hits_.append(series);
  }
  previousSeries_ = new QScatterSeries;
  previousSeries_->setName(QStringLiteral("Предыдущий результат"));
  previousSeries_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  previousSeries_->setMarkerSize(6);
  previousSeries_->setColor(QColor(0, 170, 0));
  previousSeries_->setVisible(false);
  add(previousSeries_);
  auto* view = new QChartView(chart_);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(300);
  return view;
}

QWidget* TForm4::BuildTabs() {
  tabs_ = new QTabWidget;
  results_ = new TextTableModel({QStringLiteral("№"), QStringLiteral("Разница"), QStringLiteral("Позиция"),
                                 QStringLiteral("Трек"), QStringLiteral("Название")},
                                this);
  results_->SetRows(QList<QStringList>(SearchResults::kCapacity, QStringList(5)));
  resultsView_ = TextTableView(results_, {40, 60, 80, 60, 500});
  resultsView_->horizontalHeader()->setStretchLastSection(true);
  connect(resultsView_, &QTableView::doubleClicked, this, &TForm4::SearchByTitle);
  tabs_->addTab(resultsView_, QStringLiteral("Результаты поиска"));

  keypointList_ = new QListWidget;
  tabs_->addTab(keypointList_, QStringLiteral("Параметры запросов"));

  debugValues_ = new TextTableModel({QStringLiteral("№"), QStringLiteral("Трек"), QStringLiteral("Кадр"),
                                     QStringLiteral("Ключевая точка"), QStringLiteral("Позиция"),
                                     QStringLiteral("Разница в спектрах"), QStringLiteral("Черновая разница"),
                                     QStringLiteral("Итоговая разница"), QStringLiteral("Точек"),
                                     QStringLiteral("Амплитуда трека"), QStringLiteral("Амплитуда запроса")},
                                    this);
  debugTab_ = TextTableView(debugValues_, {40, 60, 70, 110, 90, 130, 130, 120, 60, 120, 130});
  tabs_->addTab(debugTab_, QStringLiteral("Значения отладки"));
  return tabs_;
}

QWidget* TForm4::BuildInfo() {
  info_ = new InfoPanel(QStringLiteral(
      "Голубая линия — громкость последнего аудио запроса, чёрные точки — его ключевые точки. Цветные точки — "
      "ключевые точки найденных треков в тех же местах запроса, их громкость приведена к громкости запроса: "
      "чем ближе они к линии запроса, тем увереннее совпадение. Красные точки — лучший результат. Зелёные "
      "квадраты показывают, где были бы точки предыдущего результата, если поиск ничего не нашёл."),
                        2);
  info_->setFixedWidth(270);
  video_ = info_->Video();
  return info_;
}

QWidget* TForm4::BuildButtons(const MainMenu& commands) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Button(QStringLiteral("Открыть"), this, [&commands] { commands.openQuery->trigger(); }));
  layout->addWidget(Button(QStringLiteral("Прослушать"), this, [&commands] { commands.playQuery->trigger(); }));
  layout->addWidget(Button(QStringLiteral("Копировать"), this, [this] { Copy(); }));
  layout->addWidget(Button(QStringLiteral("Сохранить"), this, [this] { Save(); }));
  layout->addWidget(Button(QStringLiteral("Искать по названию"), this, [this] { SearchByTitle(); }));
  layout->addStretch();
  layout->addWidget(Button(QStringLiteral("Закрыть"), this, [this] { close(); }));
  return row;
}

void TForm4::ShowReport(const SearchReport& report) {
  results_->SetRows(ResultRows(report.outcome, *report.index));
  QList<QStringList> values;
  for (size_t k = 0; k < report.outcome.entries.size(); ++k) {
    const ResultEntry& e = report.outcome.entries[k];
    values.append({QString::number(k + 1), QString::number(e.track), QString::number(e.frame),
                   QString::number(e.keypoint), QString::number(e.position), QString::number(e.maxBandDifference),
                   QString::number(e.envelope), QString::number(e.score), QString::number(e.insideFrames),
                   QString::number(e.trackAmplitude), QString::number(e.queryAmplitude)});
  }
  debugValues_->SetRows(values);

  query_ = melo::Analyze(*report.query);
  entries_ = report.outcome.entries;
  index_ = report.index;
  querySeconds_ = report.outcome.querySeconds;
  captureStart_ = report.outcome.queryStart;
  if (report.outcome.Found()) {
    const ResultEntry& best = entries_.front();
    previous_ = {best.track, report.queryStartInTrack, best.trackAmplitude, best.queryAmplitude, captureStart_};
  }
  if (!isVisible()) return;
  Analyze();
  AddResult();
}

void TForm4::Analyze() {
  keypointList_->clear();
  keypointList_->addItems(query_.lines);
  const bool shown = showQuery_->isChecked();
  envelope_->replace(shown ? query_.envelope : QList<QPointF>());
  keypoints_->replace(shown ? query_.keypoints : QList<QPointF>());
  status_->setText(QStringLiteral("Записей: %1").arg(query_.lines.size()));
}

void TForm4::AddResult() {
  const ResultPicture picture = melo::AddResult(
      {&entries_, index_, querySeconds_, captureStart_, showBest_->isChecked(), showOthers_->isChecked()}, previous_);
  axisX_->setRange(0, picture.xMax);
  for (int k = 0; k < hits_.size(); ++k) {
    hits_[k]->replace(picture.results[k].points);
    hits_[k]->setVisible(picture.results[k].visible);
  }
  previousSeries_->replace(picture.previous.points);
  previousSeries_->setVisible(picture.previous.visible);
}

void TForm4::ApplyDebugMode() {
  debugTimer_.stop();
  if (debugMode_) return;
  const int at = tabs_->indexOf(debugTab_);
  if (at >= 0) tabs_->removeTab(at);
}

void TForm4::ShowInfoBlock(bool shown) { info_->setVisible(shown); }

QStringList TForm4::ResultLines() const {
  QStringList lines;
  for (int row = 0; row < results_->rowCount() && !results_->Cell(row, 1).isEmpty(); ++row) {
    lines.append(results_->Rows()[row].mid(1, 4).join(QLatin1Char('\t')));
  }
  return lines;
}

void TForm4::Copy() {
  const QStringList lines = ResultLines();
  if (lines.isEmpty()) return dialogs_.ShowMessage(QStringLiteral("Нет данных!"));
  QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void TForm4::Save() {
  const QStringList lines = ResultLines();
  if (lines.isEmpty()) return dialogs_.ShowMessage(QStringLiteral("Нет данных!"));
  SaveLinesToChosenFile(chooser_, dialogs_, lines);
}

void TForm4::SearchByTitle() {
  const QModelIndex current = resultsView_->currentIndex();
  const QString title = current.isValid() ? results_->Cell(current.row(), 4) : QString();
  if (!title.isEmpty()) OpenWithDesktop(ImageSearchAddress(title));
}

void TForm4::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The charts were not drawn while the window was hidden: the last search now.
  Analyze();
  AddResult();
}

void TForm4::hideEvent(QHideEvent* event) {
  video_->Close();
  QMainWindow::hideEvent(event);
}

}  // namespace melo::melodar
