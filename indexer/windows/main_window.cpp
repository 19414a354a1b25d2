#include "indexer/windows/main_window.h"

#include "base/dialogs.h"
#include "base/file_listing.h"
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "gui/about_box.h"
#include "gui/content_files.h"
#include "gui/desktop_actions.h"
#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"
#include "indexer/app/indexing_run.h"
#include "indexer/windows/messages_window.h"
#include "indexer/app/queue_table_model.h"
#include "indexer/app/resource_status.h"
#include "indexer/windows/settings_window.h"
#include "indexer/app/work_directory.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/add_landmarks.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <utility>

namespace melo {

namespace {

const QString kStartCaption = QStringLiteral("Начать индексацию");
const QString kStopCaption = QStringLiteral("Остановить индексацию");
const QString kHelpPage = QStringLiteral("help/melobank.html");
const QString kConfirmCaption = QStringLiteral("Требуется подтверждение");

const QString kInstructions = QStringLiteral(
    "1. Создайте новую базу данных (меню «База данных» → «Создать новую базу данных») или выберите готовую.\n\n"
    "2. Укажите пути к утилитам FFMPEG и SOX и рабочий каталог (меню «Настройки» → «Изменить параметры»).\n\n"
    "3. Добавьте аудио и видео файлы кнопками «Добавить файлы» и «Добавить каталог».\n\n"
    "4. Нажмите «Начать индексацию» и дождитесь сообщения «Задание выполнено!».\n\n"
    "5. Откройте эту базу данных в программе Melodar: теперь она узнаёт проиндексированные записи.");

QLabel* Panel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  return label;
}

struct MenuItem {
  QString text;
  QKeySequence keys;
  std::function<void()> handler;
};

void AddMenu(QMenuBar* bar, const QString& title, const QList<MenuItem>& items) {
  QMenu* menu = bar->addMenu(title);
  for (const MenuItem& item : items) {
    QAction* action = menu->addAction(item.text);
    action->setShortcut(item.keys);
    QObject::connect(action, &QAction::triggered, menu, item.handler);
  }
}

}  // namespace

TForm1::TForm1(const ProgramPaths& paths, Dialogs& dialogs, FileChooser& chooser, int32_t processors,
               QWidget* parent)
    : QMainWindow(parent),
      paths_(paths),
      dialogs_(dialogs),
      chooser_(chooser),
      slots_(std::max(processors, int32_t{1})),
      model_(new QueueTableModel(queue_, this)) {
  setWindowTitle(QStringLiteral("Melobank"));
  setMinimumSize(940, 500);

  // 1. The grid and the rest of the window.
  auto* central = new QWidget(this);
  auto* body = new QHBoxLayout;
  body->addWidget(MakeQueueGroup(), 1);
  body->addWidget(MakeInfoGroup());
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(body, 1);
  layout->addLayout(MakeButtonRow());
  setCentralWidget(central);
  for (QLabel*& panel : resources_) statusBar()->addWidget(panel = Panel(this), 1);
  MakeMenus();

  // 2.-4. The settings; the help videos write to the program log.
  WriteProgramLog(QStringLiteral("Read Ini file"), false);
  settings_.threads = 1;
  ReadINIExecute();
  HelpVideoPanel::SetProgramLog([this](const QString& line) { WriteProgramLog(line); });
  HelpVideoPanel::SetDialogs(&dialogs_);
  WriteProgramLog(QStringLiteral("Prepare dialogs"));

  // The other windows and the data module, in the program's start-up order.
  settingsWindow_ = new TForm2(settings_, chooser_, dialogs_, slots_, [this] { WriteINIExecute(); }, this);
  store_ = std::make_unique<TDataModule1>(dialogs_);
  messagesWindow_ = new TForm3(messages_, [this] { return IndexingRunning(); }, this);
  aboutBox_ = new AboutBox(QStringLiteral("Melobank"),
                           QStringLiteral("Индексатор аудио и видео файлов: строит акустические отпечатки звуковых "
                                          "дорожек и хранит их в базе данных, по которой Melodar узнаёт звучащую "
                                          "запись."),
                           this);
  database_ = std::make_unique<DatabaseMenu>(*store_, settings_, dialogs_, [this] { WriteINIExecute(); });
  run_ = std::make_unique<IndexingRun>(queue_, settings_, paths_, *store_, dialogs_, messages_, slots_);
  run_->onFinished = [this] { RunFinished(); };

  // 5. The slots' work folders from an earlier session go.
  ClearWork();
  WriteProgramLog(QStringLiteral("Init completed"));

  QTimer::singleShot(1000, this, &TForm1::FollowUpTimerTick);
  connect(&queueTimer_, &QTimer::timeout, this, &TForm1::QueueStatusTick);
  connect(&resourcesTimer_, &QTimer::timeout, this, &TForm1::ResourcesTick);
  queueTimer_.start(1000);
  resourcesTimer_.start(1000);
  QueueStatusTick();

  resize(1480, 820);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() {
  queueTimer_.stop();
  resourcesTimer_.stop();
  run_.reset();  // waits for any worker still running
  ClearWork();   // once more, now that no worker can write there
  HelpVideoPanel::SetProgramLog({});
  HelpVideoPanel::SetDialogs(nullptr);
}

QWidget* TForm1::MakeQueueGroup() {
  auto* group = new QGroupBox(QStringLiteral("Список файлов в очереди на индексацию"), this);
  grid_ = new QTableView(group);
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  for (int c = 0; c < QueueTableModel::kColumnCount; ++c) grid_->setColumnWidth(c, QueueTableModel::kColumnWidths[c]);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setWordWrap(false);
  grid_->setTextElideMode(Qt::ElideMiddle);  // a long path keeps its file name in view
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);

  popup_ = new QMenu(this);
  popup_->addAction(QStringLiteral("Добавить файлы"), this, &TForm1::AddFilesClick);
  popup_->addAction(QStringLiteral("Добавить каталог"), this, &TForm1::AddFolderClick);
  popup_->addAction(QStringLiteral("Новый список"), this, &TForm1::NewListClick);
  popup_->addSeparator();
  popup_->addAction(QStringLiteral("Удалить файл из списка"), this, &TForm1::DeleteFileClick);
  popup_->addAction(QStringLiteral("Удалить все файлы перед выбранным"), this, &TForm1::DeleteBeforeClick);
  popup_->addAction(QStringLiteral("Удалить все файлы после выбранного"), this, &TForm1::DeleteAfterClick);
  connect(grid_, &QTableView::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(grid_->viewport()->mapToGlobal(at)); });

  auto* statusRow = new QHBoxLayout;
  for (QLabel*& panel : queueStatus_) statusRow->addWidget(panel = Panel(group), 1);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(grid_, 1);
  layout->addLayout(statusRow);
  return group;
}

QWidget* TForm1::MakeInfoGroup() {
  auto* group = new QGroupBox(QStringLiteral("Информация"), this);
  group->setFixedWidth(300);
  videoPanel_ = new HelpVideoPanel(4, group);
  videoPanel_->setFixedSize(276, 170);
  auto* text = new QLabel(kInstructions, group);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(videoPanel_);
  layout->addWidget(text, 1);
  return group;
}

QLayout* TForm1::MakeButtonRow() {
  auto* row = new QHBoxLayout;
  auto button = [&](const QString& text, const std::function<void()>& handler) {
    auto* b = new QPushButton(text, this);
    connect(b, &QPushButton::clicked, this, handler);
    row->addWidget(b);
    return b;
  };
  button(QStringLiteral("Добавить файлы"), [this] { AddFilesClick(); });
  button(QStringLiteral("Добавить каталог"), [this] { AddFolderClick(); });
  button(QStringLiteral("Новый список"), [this] { NewListClick(); });
  row->addStretch(1);
  startStop_ = button(kStartCaption, [this] { IndexingRunning() ? StopExecute() : StartExecute(); });
  startStop_->setMinimumWidth(startStop_->fontMetrics().horizontalAdvance(kStopCaption) + 32);
  button(QStringLiteral("Выход"), [this] { close(); });
  return row;
}

void TForm1::MakeMenus() {
  QMenuBar* bar = menuBar();
  AddMenu(bar, QStringLiteral("Файл"),
          {{QStringLiteral("Новый список"), QKeySequence(QStringLiteral("Ctrl+N")), [this] { NewListClick(); }},
           {QStringLiteral("Открыть список"), QKeySequence(QStringLiteral("Ctrl+O")), [this] { OpenListClick(); }},
           {QStringLiteral("Сохранить список"), QKeySequence(QStringLiteral("Ctrl+S")), [this] { SaveListClick(); }},
           {QStringLiteral("Добавить файлы"), QKeySequence(QStringLiteral("Ctrl+F")), [this] { AddFilesClick(); }},
           {QStringLiteral("Добавить файлы из каталога"), QKeySequence(QStringLiteral("Ctrl+D")),
            [this] { AddFolderClick(); }},
           {QStringLiteral("Удалить файл"), QKeySequence(QStringLiteral("Ctrl+Del")), [this] { DeleteFileClick(); }},
           {QStringLiteral("Выход"), {}, [this] { close(); }}});
  AddMenu(bar, QStringLiteral("Приложения"),
          {{QStringLiteral("Перезапуск"), QKeySequence(QStringLiteral("Ctrl+R")), [this] { RestartClick(); }},
           {QStringLiteral("Melodar"), {}, [this] { MelodarClick(); }}});
  AddMenu(bar, QStringLiteral("Настройки"),
          {{QStringLiteral("Изменить параметры"), QKeySequence(QStringLiteral("Ctrl+P")),
            [this] { OpenSettings(TForm2::kDatabasePage); }}});
  AddMenu(bar, QStringLiteral("База данных"),
          {{QStringLiteral("Создать новую базу данных"), QKeySequence(QStringLiteral("Ctrl+Alt+C")),
            [this] { CreateDatabaseClick(); }},
           {QStringLiteral("Очистить содержимое базы данных"), QKeySequence(QStringLiteral("Alt+Backspace")),
            [this] { ClearDatabaseClick(); }},
           {QStringLiteral("Сжать базу данных"), QKeySequence(QStringLiteral("Ctrl+Alt+M")),
            [this] { database_->Compact(); }},
           {QStringLiteral("Переключиться на другую базу данных"), QKeySequence(QStringLiteral("Ctrl+Alt+D")),
            [this] { SwitchDatabaseClick(); }},
           {QStringLiteral("Просмотр базы данных"), QKeySequence(QStringLiteral("Ctrl+Alt+V")), [this] { BrowserClick(); }},
           {QStringLiteral("Проверка базы данных"), QKeySequence(QStringLiteral("Ctrl+Alt+E")), [this] { CheckClick(); }},
           {QStringLiteral("Скачать базу данных"), {}, [this] { HelpClick(QStringLiteral("databases")); }},
           {QStringLiteral("Импорт информации из другой базы данных"), QKeySequence(QStringLiteral("Ctrl+Alt+I")),
            [this] { ImportClick(); }},
           {kAddLandmarksCommand, QKeySequence(QStringLiteral("Ctrl+Alt+L")), [this] { LandmarksClick(); }},
           {QStringLiteral("Информация о базе данных"), QKeySequence(QStringLiteral("Ctrl+Alt+A")),
            [this] { StatisticsClick(); }}});
  AddMenu(bar, QStringLiteral("Индексация"),
          {{QStringLiteral("Старт"), QKeySequence(Qt::Key_F5), [this] { StartExecute(); }},
           {QStringLiteral("Стоп"), QKeySequence(Qt::Key_F6), [this] { StopExecute(); }}});
  // A run is watched in the messages window: F5 and F6 work there too.
  for (const QString& item : {QStringLiteral("Старт"), QStringLiteral("Стоп")}) {
    MenuAction(item)->setShortcutContext(Qt::ApplicationShortcut);
  }
  AddMenu(bar, QStringLiteral("Помощь"),
          {{QStringLiteral("Справка"), QKeySequence(Qt::Key_F1), [this] { HelpClick({}); }},
           {QStringLiteral("О программе"), QKeySequence(QStringLiteral("Ctrl+F1")),
            [this] {
              HelpVideoPanel::StopPlay();
              aboutBox_->exec();
            }},
           {QStringLiteral("Сообщить об ошибке в программе"), {}, [this] { HelpClick(QStringLiteral("bug-report")); }},
           {QStringLiteral("Добавить отзыв о программе"), {}, [this] { HelpClick(QStringLiteral("review")); }},
           {QStringLiteral("Написать разработчикам программы"), {}, [this] { HelpClick(QStringLiteral("contact")); }},
           {QStringLiteral("Отправить сообщение через сайт"), {}, [this] { HelpClick(QStringLiteral("feedback")); }}});
}

// --- settings, logs, timers ---------------------------------------------------

void TForm1::WriteProgramLog(const QString& line, bool append) const { WriteLogLine(paths_.programLog, line, append); }

void TForm1::ClearWork() const { ClearWorkDirectory(settings_.workDir, slots_); }

void TForm1::ReadINIExecute() {
  if (!ReadIndexerSettings(paths_.settingsFile, slots_, settings_)) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка чтения INI файла!"));
  }
  // On Linux the tools are usually installed on the search path.
  FillToolPathsFromSearchPath(settings_);
  // A first start works in a folder of the user's cache rather than asking for one.
  if (settings_.workDir.isEmpty()) settings_.workDir = DefaultWorkDirectory();
}

bool TForm1::WriteINIExecute() {
  if (WriteIndexerSettings(paths_.settingsFile, settings_)) return true;
  dialogs_.ShowMessage(QStringLiteral("Ошибка записи INI файла! "));
  return false;
}

void TForm1::FollowUpTimerTick() {
  WriteProgramLog(QStringLiteral("Load info images"));
  const int pictures = HelpVideoPanel::LoadAllPictures();
  WriteProgramLog(QStringLiteral("Info images loaded: %1 from %2").arg(pictures).arg(ContentDir()));
  database_->OpenAtStartup();
  // A run started within the first second works in these folders already.
  if (!IndexingRunning() && QFileInfo(settings_.workDir).isDir()) ClearWork();
}

void TForm1::QueueStatusTick() {
  try {
    model_->Refresh(QDateTime::currentDateTime());
    const QStringList texts = model_->StatusTexts();
    for (size_t i = 0; i < queueStatus_.size(); ++i) queueStatus_[i]->setText(texts.value(static_cast<qsizetype>(i)));
    setWindowTitle(QStringLiteral("Melobank - ") + settings_.dbPath);
    UpdateRunState();
  } catch (const std::exception&) {
    WriteMyLog(QStringLiteral("Timer3Timer"));
    dialogs_.ShowMessage(QStringLiteral("Timer3Timer"));
  }
}

void TForm1::ResourcesTick() {
  resources_[0]->setText(FreeDiskText(settings_.workDir));
  if (const auto memory = ReadMemoryStatus()) {
    resources_[1]->setText(MemoryText(*memory));
  } else if (!memoryUnreadableTold_) {
    // Said once: a message box every second would make the window unusable.
    memoryUnreadableTold_ = true;
    dialogs_.ShowMessage(QStringLiteral("Не удалось получить данные о памяти."));
  }
}

QAction* TForm1::MenuAction(const QString& text) const {
  for (const QAction* menu : menuBar()->actions()) {
    for (QAction* item : menu->menu()->actions()) {
      if (item->text() == text) return item;
    }
  }
  return nullptr;
}

QString TForm1::QueueStatusText(int panel) const { return queueStatus_.at(static_cast<size_t>(panel))->text(); }

void TForm1::OpenSettings(int page) {
  if (!settingsWindow_->Edit(static_cast<TForm2::Page>(page))) return;
  // A database named in the settings is the one to work with from now on; a
  // running indexing keeps its connection until it ends.
  if (!IndexingRunning()) database_->FollowSettings();
}

// --- the queue ------------------------------------------------------------------

// Databases and lists are kept in the program folder's "database" and "lists".
FileChooser::Request TForm1::DatabaseDialog(const QString& title) const {
  return FileChooser::InFolder(title, JoinPath(paths_.programDir, QStringLiteral("database")),
                               QStringLiteral("База данных (*.db)"));
}

FileChooser::Request TForm1::ListDialog(const QString& title) const {
  return FileChooser::InFolder(title, JoinPath(paths_.programDir, QStringLiteral("lists")),
                               QStringLiteral("Список файлов (*.list)"));
}

void TForm1::UpdateListExecute() {
  // A reset forgets the selection. Files are only ever added at the end, so the
  // row selected before holds the same file still; without one the first row is
  // selected, and the commands on the selected row work without a click first.
  const int selected = SelectedRow();
  model_->Reset();
  if (!queue_.IsEmpty()) grid_->selectRow(selected >= 0 && selected < queue_.Size() ? selected : 0);
  QueueStatusTick();
}

bool TForm1::RequireSelectedRow(int row) {
  // An empty queue has nothing to select, nor to delete.
  if (row >= 0 || queue_.IsEmpty()) return row >= 0;
  dialogs_.ShowMessage(QStringLiteral("Выберите файл в списке!"));
  return false;
}

int TForm1::SelectedRow() const {
  const QModelIndexList rows = grid_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TForm1::AddFilesClick() {
  const QStringList files =
      chooser_.OpenFiles(FileChooser::InFolder(QStringLiteral("Выбрать файлы"), paths_.programDir));
  for (const QString& file : files) queue_.AddFile(file);
  UpdateListExecute();
}

void TForm1::AddFolderClick() {
  const QString folder = chooser_.Directory(
      FileChooser::InFolder(QStringLiteral("Выбор каталога с аудио и видео файлами"), paths_.programDir),
      QStringLiteral("Выбрать каталог"));
  if (folder.isEmpty()) return;
  // Listing a large tree takes a moment: the pointer says so.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QStringList files;
  ListFiles(folder, QStringLiteral("*.*"), true, false, files);
  for (const QString& file : files) queue_.AddFile(file);
  UpdateListExecute();
  QGuiApplication::restoreOverrideCursor();
}

void TForm1::NewListClick() {
  queue_.Clear();
  grid_->clearSelection();
  UpdateListExecute();
}

void TForm1::OpenListClick() {
  const QString file = chooser_.OpenFile(ListDialog(QStringLiteral("Открыть список с файлами")));
  if (file.isEmpty()) return;
  if (!queue_.LoadList(file)) dialogs_.ShowMessage(QStringLiteral("Не найден файл: ") + file);
  grid_->clearSelection();  // another list: its first file is selected
  UpdateListExecute();
}

void TForm1::SaveListClick() {
  const QString chosen = chooser_.SaveFile(ListDialog(QStringLiteral("Сохранить список с файлами")));
  if (chosen.isEmpty()) return;
  const QString file = EnsureExtension(chosen, QStringLiteral(".list"));
  if (!queue_.SaveList(file)) dialogs_.ShowMessage(QStringLiteral("Не удалось сохранить список: ") + file);
}

void TForm1::DeleteFileClick() {
  const int row = SelectedRow();
  if (!RequireSelectedRow(row)) return;
  queue_.Remove(row);
  UpdateListExecute();
  grid_->selectRow(std::min(row, static_cast<int>(queue_.Size()) - 1));
}

void TForm1::DeleteBeforeClick() {
  const int row = SelectedRow();
  if (!RequireSelectedRow(row) ||
      !dialogs_.AskYesNo(kConfirmCaption, QStringLiteral("Вы точно хотите удалить все записи перед выбранной?"))) {
    return;
  }
  queue_.RemoveBefore(row);
  UpdateListExecute();
  grid_->selectRow(0);
}

void TForm1::DeleteAfterClick() {
  const int row = SelectedRow();
  if (!RequireSelectedRow(row) ||
      !dialogs_.AskYesNo(kConfirmCaption, QStringLiteral("Вы точно хотите удалить все записи после выбранной?"))) {
    return;
  }
  queue_.RemoveAfter(row);
  UpdateListExecute();
  grid_->selectRow(row);
}

// --- indexing -------------------------------------------------------------------

bool TForm1::IndexingRunning() const { return run_ && (run_->Running() || run_->Stopping()); }

void TForm1::UpdateRunState() {
  startStop_->setText(IndexingRunning() ? kStopCaption : kStartCaption);
  startStop_->setEnabled(!run_->Stopping());
}

void TForm1::StartExecute() {
  HelpVideoPanel::StopPlay();
  if (IndexingRunning()) return;
  // The run writes through the connection: it must be to the database the
  // settings name. A file that exists but cannot be opened has been reported.
  if (!database_->FollowSettings() && QFileInfo(settings_.dbPath).isFile()) return;
  switch (run_->Start()) {
    case IndexingRun::StartOutcome::NoWorkDirectory:
    case IndexingRun::StartOutcome::NoDatabase:
    case IndexingRun::StartOutcome::DatabaseNotWritable:
    case IndexingRun::StartOutcome::WorkDirectoryBusy:  // another folder can be chosen there
    case IndexingRun::StartOutcome::DatabaseBusy:       // and another database
      OpenSettings(TForm2::kDatabasePage);
      return;
    case IndexingRun::StartOutcome::NoFfmpeg:
    case IndexingRun::StartOutcome::NoSox:
      OpenSettings(TForm2::kToolsPage);
      return;
    case IndexingRun::StartOutcome::EmptyQueue:
      return;
    case IndexingRun::StartOutcome::Started:
      break;
  }
  UpdateRunState();
  messagesWindow_->StartWatching();
}

void TForm1::StopExecute() {
  if (!run_->Running()) return;
  // The files being worked on end in the background; the window stays usable
  // and the button waits until they have.
  run_->StopLater([this] {
    model_->Refresh(QDateTime::currentDateTime());
    UpdateRunState();
    if (closeAfterStop_) close();
  });
  UpdateRunState();
}

void TForm1::RunFinished() {
  model_->Refresh(QDateTime::currentDateTime());
  UpdateRunState();
  if (run_->Failures() > 0) messagesWindow_->ShowErrors();
}

// --- the database ---------------------------------------------------------------

bool TForm1::RefuseWhileIndexing(const QString& message) {
  if (!IndexingRunning()) return false;
  dialogs_.ShowMessage(message);
  return true;
}

void TForm1::CreateDatabaseClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед сменой базы данных остановите индексацию данных!"))) return;
  database_->Create(chooser_.SaveFile(DatabaseDialog(QStringLiteral("Создать базу данных"))));
  QueueStatusTick();
}

// The run goes on storing rows: cleared under it, they would be gone while the
// queue shows their files as stored.
void TForm1::ClearDatabaseClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед очисткой базы данных остановите индексацию данных!"))) return;
  database_->Clear();
}

void TForm1::SwitchDatabaseClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед сменой базы данных остановите индексацию данных!"))) return;
  database_->Switch(chooser_.OpenFile(DatabaseDialog(QStringLiteral("Открыть базу данных"))));
  QueueStatusTick();
}

void TForm1::StatisticsClick() {
  if (!database_->RequireConnection()) return;
  HelpVideoPanel::StopPlay();
  if (databaseWindows_.showStatistics) databaseWindows_.showStatistics();
}

void TForm1::BrowserClick() {
  HelpVideoPanel::StopPlay();
  if (databaseWindows_.showBrowser) databaseWindows_.showBrowser();
}

void TForm1::CheckClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед началом проверки остановите индексацию данных!"))) return;
  // Without a database the check would only report that it could read nothing.
  if (!database_->RequireConnection()) return;
  HelpVideoPanel::StopPlay();
  if (databaseWindows_.showCheck) databaseWindows_.showCheck();
}

void TForm1::ImportClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед началом импорта остановите индексацию данных!"))) return;
  HelpVideoPanel::StopPlay();
  if (databaseWindows_.showImport) databaseWindows_.showImport();
}

// Indexing stores rows with their landmarks already; adding them to the rows
// while it runs would only decode the same files twice.
void TForm1::LandmarksClick() {
  if (RefuseWhileIndexing(QStringLiteral("Перед добавлением ориентиров остановите индексацию данных!"))) return;
  if (!database_->RequireConnection()) return;
  HelpVideoPanel::StopPlay();
  if (databaseWindows_.showLandmarks) databaseWindows_.showLandmarks();
}

// --- the program ----------------------------------------------------------------

void TForm1::RestartClick() {
  restartAfterClose_ = true;
  close();
}

void TForm1::MelodarClick() {
  if (!StartProgramBeside(QStringLiteral("Melodar"))) {
    dialogs_.ShowMessage(QStringLiteral("Не найден файл: ") + JoinPath(paths_.programDir, QStringLiteral("Melodar")));
  }
}

void TForm1::HelpClick(const QString& section) { ShowHelpPage(kHelpPage, section, dialogs_, this); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (IndexingRunning()) {
    // The workers' files are stopped first; the window closes once they have ended.
    event->ignore();
    closeAfterStop_ = true;
    StopExecute();
    return;
  }
  WriteINIExecute();
  ClearWork();
  HelpVideoPanel::StopPlay();
  messagesWindow_->close();
  event->accept();
  if (std::exchange(restartAfterClose_, false)) RestartProgram();
}

}  // namespace melo
