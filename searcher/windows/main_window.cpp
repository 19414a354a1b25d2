#include "searcher/windows/main_window.h"

#include "base/dialogs.h"
#include "gui/about_box.h"
#include "gui/content_files.h"
#include "gui/desktop_actions.h"
#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"
#include "gui/info_panel.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/windows/database_errors_window.h"
#include "searcher/windows/debug_workbench.h"
#include "searcher/windows/history_window.h"
#include "searcher/windows/query_results_window.h"
#include "searcher/windows/search_parameters_window.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/signal_picture.h"
#include "searcher/app/web_addresses.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

constexpr int kPictureIntervalMs = 250;
constexpr int kFollowUpMs = 1000;
constexpr int kSearchWarningMs = 2000;
const QString kHelpPage = QStringLiteral("help/melodar.html");

QPushButton* Button(const QString& text, const QString& hint) {
  auto* button = new QPushButton(text);
  button->setToolTip(hint);
  return button;
}

}  // namespace

TForm1::TForm1(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, QWidget* parent)
    : QMainWindow(parent), restartProgram(RestartProgram), session_(session), dialogs_(dialogs), chooser_(chooser) {
  setWindowTitle(QStringLiteral("Melodar"));
  menu_ = std::make_unique<MainMenu>(menuBar());
  BuildControls();
  session_.AddSearchListener([this](const SearchReport& report) { ShowReport(report); });
  CreateWindows();
  HelpVideoPanel::SetProgramLog([this](const QString& line) { session_.Log(line); });
  HelpVideoPanel::SetDialogs(&dialogs_);
  ConnectMenu();

  session_.onLoadErrorLine = [this](const QString& line) { form3_->AppendLine(line); };
  session_.onLoadFinished = [this](int32_t readErrors) { LoadFinished(readErrors); };
  session_.onSearchAttempt = [this](LiveSearch::Outcome outcome) { SearchAttempted(outcome); };
  session_.Start();
  if (session_.DatabaseConnected()) setWindowTitle(QStringLiteral("Melodar - ") + session_.Settings().databasePath);
  FillSources();
  menu_->debug->menuAction()->setVisible(session_.Settings().debugMode);
  ShowStatus();

  connect(&pictureTimer_, &QTimer::timeout, this, &TForm1::DrawSignal);
  pictureTimer_.start(kPictureIntervalMs);
  QTimer::singleShot(kFollowUpMs, this, &TForm1::StartUpFollowUp);
}

TForm1::~TForm1() {
  session_.Shutdown();
  HelpVideoPanel::SetProgramLog({});
  HelpVideoPanel::SetDialogs(nullptr);
}

// The other windows, in the program's order of creation; each hears of every
// search in that order, after this window.
void TForm1::CreateWindows() {
  const bool debugMode = session_.Settings().debugMode;
  form4_ = new TForm4(*menu_, dialogs_, chooser_, debugMode, this);
  session_.AddSearchListener([this](const SearchReport& report) { form4_->ShowReport(report); });
  form11_ = new TForm11(dialogs_, chooser_, debugMode, this);
  session_.AddSearchListener([this](const SearchReport& report) {
    if (report.outcome.confirmed) form11_->ConfirmLastRecord();
    form11_->AppendLine(report.historyLine);
  });
  form3_ = new TForm3(dialogs_, chooser_, this);
  form24_ = new TForm24(session_.Parameters(), this);
  if (debugMode) workbench_ = new DebugWorkbench(session_, dialogs_, chooser_, *menu_, form24_, form11_, this);
  connect(this, &TForm1::InfoBlocksShown, form4_, &TForm4::ShowInfoBlock);
  connect(this, &TForm1::InfoBlocksShown, form11_, &TForm11::ShowInfoBlock);
}

void TForm1::ShowWindow(QWidget* window, bool stopVideos) {
  if (stopVideos) HelpVideoPanel::StopPlay();
  window->show();
  window->raise();
  window->activateWindow();
}

void TForm1::BuildControls() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildTopRow());
  layout->addWidget(BuildButtons());
  setCentralWidget(central);
  BuildStatusBar();
  setMinimumSize(860, 580);
  setMaximumSize(860, 600);
  resize(minimumSize());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

QWidget* TForm1::BuildTopRow() {
  auto* row = new QWidget;
  auto* columns = new QHBoxLayout(row);
  columns->setContentsMargins(0, 0, 0, 0);
  auto* left = new QVBoxLayout;
  auto* signal = new QGroupBox(QStringLiteral("Аудио сигнал"));
  picture_ = new QLabel;
  picture_->setMinimumSize(300, 110);
  picture_->setAutoFillBackground(true);
  picture_->setPalette(QPalette(Qt::white));
  picture_->installEventFilter(this);
  (new QVBoxLayout(signal))->addWidget(picture_);
  left->addWidget(signal, 2);
  left->addWidget(BuildResults(), 5);
  columns->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto* device = new QGroupBox(QStringLiteral("Устройство записи"));
  sources_ = new QComboBox;
  auto* refresh = new QAction(QStringLiteral("Обновить"), sources_);
  connect(refresh, &QAction::triggered, this, &TForm1::RefreshSources);
  sources_->addAction(refresh);
  sources_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(sources_, &QComboBox::activated, this, [this](int entry) { session_.SelectSource(entry); });
  (new QVBoxLayout(device))->addWidget(sources_);
  right->addWidget(device);

  info_ = new InfoPanel(
      QStringLiteral(
          "Мелодар узнаёт звучащую музыку по нескольким секундам звука, сравнивая их с базой данных отпечатков. "
          "Базу данных из своих аудио- и видеофайлов создаёт программа Melobank (Ctrl+I); открыть базу: Ctrl+B. "
          "О готовых базах и о демонстрационной базе данных рассказывает справка (F1)."),
      1);
  right->addWidget(info_, 1);
  auto* rightColumn = new QWidget;
  rightColumn->setLayout(right);
  rightColumn->setFixedWidth(270);
  right->setContentsMargins(0, 0, 0, 0);
  columns->addWidget(rightColumn);
  return row;
}

QWidget* TForm1::BuildResults() {
  auto* results = new QGroupBox(QStringLiteral("Результаты поиска"));
  auto* layout = new QVBoxLayout(results);
  resultLine_ = new QLineEdit;
  resultLine_->setReadOnly(true);
  resultLine_->setToolTip(QStringLiteral("Двойной щелчок копирует содержимое в буфер обмена"));
  resultLine_->installEventFilter(this);
  layout->addWidget(resultLine_);
  parameters_ = new QTableWidget(0, 2);
  parameters_->setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
  parameters_->verticalHeader()->hide();
  parameters_->verticalHeader()->setDefaultSectionSize(20);
  parameters_->horizontalHeader()->setStretchLastSection(true);
  parameters_->setColumnWidth(0, 170);
  parameters_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  parameters_->setSelectionBehavior(QAbstractItemView::SelectRows);
  layout->addWidget(parameters_);
  return results;
}

QWidget* TForm1::BuildButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  searchButton_ = Button(QStringLiteral("Поиск"), QStringLiteral("Одноразовый поиск"));
  autoButton_ = Button(QStringLiteral("Автопоиск"), QStringLiteral("Безостановочный автоматический поиск"));
  auto* copy = Button(QStringLiteral("Копировать"), QStringLiteral("Копировать результаты поиска в буфер обмена"));
  auto* save = Button(QStringLiteral("Сохранить"), QStringLiteral("Сохранить результаты поиска"));
  auto* play = Button(QStringLiteral("Прослушать"), QStringLiteral("Прослушать аудио запрос"));
  auto* byTitle = Button(QStringLiteral("Искать по названию"), QStringLiteral("Искать в Интернете по названию"));
  auto* exit = Button(QStringLiteral("Выход"), QString());
  searchButton_->setObjectName(QStringLiteral("searchButton"));
  autoButton_->setObjectName(QStringLiteral("autoButton"));
  for (QPushButton* b : {searchButton_, autoButton_, copy, save, play, byTitle}) layout->addWidget(b);
  layout->addStretch();
  layout->addWidget(exit);
  connect(searchButton_, &QPushButton::clicked, this, &TForm1::Search);
  connect(autoButton_, &QPushButton::clicked, this, &TForm1::ToggleAutomatic);
  connect(copy, &QPushButton::clicked, this, &TForm1::CopyResult);
  connect(save, &QPushButton::clicked, this, &TForm1::SaveResult);
  connect(play, &QPushButton::clicked, this, [this] { session_.PlayQuery(); });
  connect(byTitle, &QPushButton::clicked, this, &TForm1::SearchByTitle);
  connect(exit, &QPushButton::clicked, this, &QWidget::close);
  return row;
}

void TForm1::BuildStatusBar() {
  // The first four panels hold the database load's figures; a panel grows when its
  // text needs more room than its width. The last two stay empty.
  for (const int width : {340, 150, 130, 130, 0, 50}) {
    auto* panel = new QLabel;
    panel->setMinimumWidth(width);
    panel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    if (status_.size() < 4) panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    statusBar()->addWidget(panel, width > 0 ? 0 : 1);
    status_.append(panel);
  }
  statusBar()->setSizeGripEnabled(false);
}

void TForm1::ConnectMenu() {
  const MainMenu& m = *menu_;
  connect(m.saveResult, &QAction::triggered, this, &TForm1::SaveResult);
  connect(m.exit, &QAction::triggered, this, &QWidget::close);
  connect(m.chooseDatabase, &QAction::triggered, this, &TForm1::ChooseDatabase);
  connect(m.downloadDatabase, &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("databases")); });
  connect(m.chooseQueryFolder, &QAction::triggered, this, &TForm1::ChooseQueryFolder);
  connect(m.saveQueryDat, &QAction::triggered, this, [this] { session_.SaveQuery(QStringLiteral(".dat")); });
  connect(m.saveQueryWav, &QAction::triggered, this, [this] { session_.SaveQuery(QStringLiteral(".wav")); });
  connect(m.openQuery, &QAction::triggered, this, &TForm1::OpenQuery);
  connect(m.querySize, &QActionGroup::triggered, this,
          [this](QAction* item) { session_.SetQuerySeconds(item->data().toInt()); });
  connect(m.playQuery, &QAction::triggered, this, [this] { session_.PlayQuery(); });
  connect(m.restart, &QAction::triggered, this, &TForm1::Restart);
  connect(m.indexing, &QAction::triggered, this, &TForm1::StartIndexer);
  connect(m.showInfoBlocks, &QAction::toggled, this, [this](bool shown) {
    HelpVideoPanel::StopPlay();
    info_->setVisible(shown);
    emit InfoBlocksShown(shown);
  });
  connect(m.search, &QAction::triggered, this, &TForm1::Search);
  connect(m.automatic, &QAction::triggered, this, &TForm1::ToggleAutomatic);
  session_.onModeChanged = [this](SearchMode mode) {
    MainMenu::Item(menu_->mode, static_cast<int>(mode))->setChecked(true);
    form24_->UpdateSearchParameters();
  };
  connect(m.mode, &QActionGroup::triggered, this, [this](QAction* item) {
    session_.SetMode(static_cast<SearchMode>(item->data().toInt()));
    session_.LandmarksReady();
    form24_->UpdateSearchParameters();
  });
  connect(m.interval, &QActionGroup::triggered, this,
          [this](QAction* item) { session_.SetAutomaticInterval(item->data().toInt()); });
  connect(m.loadErrors, &QAction::triggered, form3_, &QWidget::show);
  connect(m.history, &QAction::triggered, this, [this] { ShowWindow(form11_, true); });
  connect(m.queryAndResults, &QAction::triggered, this, [this] { ShowWindow(form4_, true); });
  connect(m.help, &QAction::triggered, this, [this] { OpenHelp(); });
  connect(m.about, &QAction::triggered, this, [this] {
    AboutBox(QStringLiteral("Melodar"),
             QStringLiteral("Узнаёт звучащую музыку по нескольким секундам звука, сравнивая их с базой данных "
                            "отпечатков, созданной программой Melobank."),
             this)
        .exec();
  });
  connect(m.reportError, &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("feedback")); });
  connect(m.addReview, &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("feedback")); });
  connect(m.writeDevelopers, &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("contact")); });
  connect(m.sendMessage, &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("contact")); });
}

void TForm1::StartUpFollowUp() {
  session_.Log(QStringLiteral("Load info images"));
  // The panels of this window, the query-and-results and the history windows.
  const int pictures = HelpVideoPanel::LoadAllPictures();
  session_.Log(QStringLiteral("Info images loaded: %1 from %2").arg(pictures).arg(ContentDir()));
  // A missing file, or one that turned out to be no database, is chosen anew.
  if (!session_.DatabaseConnected()) ChooseDatabase();
}

void TForm1::DrawSignal() {
  if (!session_.IndexLoaded()) ShowStatus();  // the load's progress
  CaptureRing* ring = session_.Sound().Ring();
  if (!ring || !ring->Active() || !picture_->isVisible()) return;
  if (pictureImage_.size() != picture_->size()) pictureImage_ = QImage(picture_->size(), QImage::Format_RGB32);
  const QString own = DrawSignalPicture(pictureImage_, *ring);
  if (own.isEmpty() && !searchWarning_.isEmpty() && searchWarningAge_.elapsed() < kSearchWarningMs) {
    DrawSignalWarning(pictureImage_, searchWarning_);
  }
  picture_->setPixmap(QPixmap::fromImage(pictureImage_));
}

void TForm1::Search() { session_.Search(); }

void TForm1::ToggleAutomatic() {
  session_.ToggleAutomatic();
  ShowAutomatic();
}

void TForm1::ShowAutomatic() {
  autoButton_->setText(session_.Automatic() ? QStringLiteral("Стоп") : QStringLiteral("Автопоиск"));
}

void TForm1::SearchAttempted(LiveSearch::Outcome outcome) {
  const QString warning = LiveSearch::SignalWarning(outcome);
  if (warning.isEmpty()) return;
  searchWarning_ = warning;
  searchWarningAge_.start();
  DrawSignal();
}

void TForm1::ShowReport(const SearchReport& report) {
  resultLine_->setText(report.title);
  resultLine_->setCursorPosition(0);
  parameters_->setRowCount(static_cast<int>(report.parameters.size()));
  for (int row = 0; row < parameters_->rowCount(); ++row) {
    QString name = report.parameters[row].first;
    if (name.endsWith(QLatin1Char('='))) name.chop(1);
    parameters_->setItem(row, 0, new QTableWidgetItem(name));
    parameters_->setItem(row, 1, new QTableWidgetItem(report.parameters[row].second));
  }
}

void TForm1::ShowStatus() {
  const QStringList texts = session_.StatusTexts();
  for (int i = 0; i < 4; ++i) status_[i]->setText(i < texts.size() ? texts[i] : QString());
}

void TForm1::LoadFinished(int32_t readErrors) {
  ShowStatus();
  if (readErrors >= 1) form3_->show();
}

void TForm1::FillSources() {
  const QSignalBlocker quiet(sources_);
  sources_->clear();
  sources_->addItems(session_.Sound().Sources());
  sources_->setCurrentIndex(session_.Sound().Selection());
}

void TForm1::RefreshSources() {
  session_.Sound().UpdateInputList();
  // The list starts again at the computer's own output, with its mode.
  session_.SelectSource(session_.Sound().Selection());
  FillSources();
}

QStringList TForm1::ResultLines() const {
  QStringList lines;
  for (int row = 0; row < parameters_->rowCount(); ++row) {
    lines.append(parameters_->item(row, 0)->text() + QLatin1Char('=') + parameters_->item(row, 1)->text());
  }
  return lines;
}

void TForm1::CopyResult() {
  if (parameters_->rowCount() == 0) return dialogs_.ShowMessage(QStringLiteral("Нет данных!"));
  QGuiApplication::clipboard()->setText(ResultLines().join(QLatin1Char('\n')));
}

void TForm1::SaveResult() {
  if (parameters_->rowCount() == 0) return dialogs_.ShowMessage(QStringLiteral("Нет данных!"));
  SaveLinesToChosenFile(chooser_, dialogs_, ResultLines());
}

void TForm1::SearchByTitle() {
  if (!resultLine_->text().isEmpty()) OpenWithDesktop(ImageSearchAddress(resultLine_->text()));
}

void TForm1::ChooseDatabase() {
  // On a first start Melobank's database is offered, chosen in the dialog already.
  const QString offered = session_.Settings().OfferedDatabase();
  const QString path = chooser_.OpenFile({QStringLiteral("Открыть базу данных"),
                                          offered.isEmpty() ? session_.Settings().DatabaseFolder() : offered,
                                          QStringLiteral("Файлы баз данных (*.db)")});
  if (path.isEmpty()) return;
  session_.Settings().databasePath = path;
  session_.Settings().WriteINIFile(dialogs_);
  dialogs_.ShowMessage(QStringLiteral("Чтобы изменения вступили в силу требуется перезапуск приложения!"));
  Restart();
}

void TForm1::OpenQuery() {
  session_.StopAutomatic();
  ShowAutomatic();
  session_.WaitForSearch();
  const QString path = chooser_.OpenFile({QStringLiteral("Открыть сохранённый аудио запрос"), session_.Settings().queryDir,
                                          QStringLiteral("Файлы аудио запроса (*.dat);;Файлы аудио запроса (*.wav);;"
                                                         "Все файлы (*)")});
  if (!path.isEmpty()) session_.OpenQuery(path);
}

void TForm1::ChooseQueryFolder() {
  const QString dir =
      chooser_.Directory({QStringLiteral("Выбрать каталог для сохранения аудио запросов"), session_.Settings().queryDir, {}});
  if (!dir.isEmpty()) session_.Settings().queryDir = dir;
}

void TForm1::OpenHelp(const QString& section) { ShowHelpPage(kHelpPage, section, dialogs_, this); }

void TForm1::StartIndexer() {
  if (!StartProgramBeside(QStringLiteral("Melobank"))) {
    dialogs_.ShowMessage(QCoreApplication::applicationDirPath() + QStringLiteral("/Melobank"));
  }
}

void TForm1::Restart() {
  // This copy lets go of the helper and writes its settings before the next starts.
  session_.Shutdown();
  if (!restartProgram()) close();
}

void TForm1::closeEvent(QCloseEvent* event) {
  HelpVideoPanel::StopPlay();
  session_.Shutdown();
  event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == picture_) {
      RefreshSources();
      return true;
    }
    if (watched == resultLine_) {
      QGuiApplication::clipboard()->setText(resultLine_->text());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace melo::melodar
