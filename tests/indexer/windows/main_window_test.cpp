#include "indexer/windows/main_window.h"

#include "base/log_writer.h"
#include "gui/content_files.h"
#include "gui/file_chooser.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/windows/messages_window.h"
#include "indexer/app/queue_table_model.h"
#include "indexer/windows/settings_window.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/record_store.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/program_run.h"
#include "tests/support/read_only_path.h"
#include "tests/support/recording_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>

namespace melo {
namespace {

using testing::Sqlite3;
using testing::SpinUntil;
using testing::TempDir;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDataHome = qgetenv("XDG_DATA_HOME");
    previousCacheHome = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_DATA_HOME", dir.Path("data").toUtf8());
    qputenv("XDG_CACHE_HOME", dir.Path("cache").toUtf8());
    SetMyLogPath(dir.Path("my.log"));
    SetContentDir(dir.Path("content"));
    QDir().mkpath(dir.Path("work"));
    settings = {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work"), {}, 2, true};
  }
  void TearDown() override {
    window.reset();
    SetContentDir({});
    SetMyLogPath({});
    qputenv("XDG_DATA_HOME", previousDataHome);
    qputenv("XDG_CACHE_HOME", previousCacheHome);
  }

  // The settings an earlier session saved, then the window as the program opens it.
  TForm1& Open() {
    WriteIndexerSettings(paths.settingsFile, settings);
    window = std::make_unique<TForm1>(paths, dialogs, chooser, 2);
    window->show();
    window->activateWindow();  // the menus' shortcuts work in the active window
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return *window;
  }

  void Click(const QString& item) {
    QAction* action = window->MenuAction(item);
    ASSERT_NE(action, nullptr) << item.toStdString();
    action->trigger();
  }
  void Popup(const QString& item) {
    for (QAction* action : window->PopupMenu()->actions()) {
      if (action->text() == item) return action->trigger();
    }
    FAIL() << item.toStdString();
  }
  QString GridText(int row, int column) const {
    return window->QueueModel().index(row, column).data().toString();
  }
  QStringList QueuedNames() const {
    QStringList names;
    for (const QueueEntry& e : window->Queue().Entries()) names.append(e.name);
    return names;
  }
  void AddFiles(const QStringList& paths) {
    chooser.answers = {paths.join('\n')};
    Click("Добавить файлы");
  }
  QString IniValue(const QString& key) const { return QSettings(paths.settingsFile, QSettings::IniFormat).value(key).toString(); }

  QByteArray previousDataHome;
  QByteArray previousCacheHome;
  TempDir dir;
  // The workers find tagscan-cli beside the program; settings and logs stay here.
  ProgramPaths paths{TOOLS_DIR, dir.Path(), dir.Path("Melobank.ini"), dir.Path("Melobank.log")};
  IndexerSettings settings;
  testing::RecordingDialogs dialogs;
  ScriptedFileChooser chooser;
  std::unique_ptr<TForm1> window;
};

TEST_F(MainWindowTest, MenusCarryTheirTextsAndShortcuts) {
  Open();
  QStringList items;
  for (QAction* menu : window->menuBar()->actions()) {
    for (QAction* item : menu->menu()->actions()) {
      items.append(menu->text() + " / " + item->text() + " / " + item->shortcut().toString());
    }
  }
  EXPECT_EQ(items, QStringList({
                       "Файл / Новый список / Ctrl+N",
                       "Файл / Открыть список / Ctrl+O",
                       "Файл / Сохранить список / Ctrl+S",
                       "Файл / Добавить файлы / Ctrl+F",
                       "Файл / Добавить файлы из каталога / Ctrl+D",
                       "Файл / Удалить файл / Ctrl+Del",
                       "Файл / Выход / ",
                       "Приложения / Перезапуск / Ctrl+R",
                       "Приложения / Melodar / ",
                       "Настройки / Изменить параметры / Ctrl+P",
                       "База данных / Создать новую базу данных / Ctrl+Alt+C",
                       "База данных / Очистить содержимое базы данных / Alt+Backspace",
                       "База данных / Сжать базу данных / Ctrl+Alt+M",
                       "База данных / Переключиться на другую базу данных / Ctrl+Alt+D",
                       "База данных / Просмотр базы данных / Ctrl+Alt+V",
                       "База данных / Проверка базы данных / Ctrl+Alt+E",
                       "База данных / Скачать базу данных / ",
                       "База данных / Импорт информации из другой базы данных / Ctrl+Alt+I",
                       "База данных / Добавить ориентиры в базу данных / Ctrl+Alt+L",
                       "База данных / Информация о базе данных / Ctrl+Alt+A",
                       "Индексация / Старт / F5",
                       "Индексация / Стоп / F6",
                       "Помощь / Справка / F1",
                       "Помощь / О программе / Ctrl+F1",
                       "Помощь / Сообщить об ошибке в программе / ",
                       "Помощь / Добавить отзыв о программе / ",
                       "Помощь / Написать разработчикам программы / ",
                       "Помощь / Отправить сообщение через сайт / ",
                   }));
  // A shortcut reaches its item: F1 without a help page says where it was looked for.
  QTest::keyClick(window.get(), Qt::Key_F1);
  EXPECT_EQ(dialogs.messages, QStringList{"Не найден файл: " + dir.Path("content/help/melobank.html")});
}

TEST_F(MainWindowTest, StartRefusalsOpenTheSettingsOnTheirPage) {
  struct Case {
    const char* name;
    std::function<void(IndexerSettings&)> spoil;
    QString message;
    int page;
  };
  std::optional<testing::ReadOnlyPath> readOnly;  // for the case at hand
  const QList<Case> cases = {
      {"no work dir", [&](IndexerSettings& s) { s.workDir = dir.Path("gone"); },
       "Выберите рабочий каталог в меню «Настройки» → «Изменить параметры»!", TForm2::kDatabasePage},
      {"no database", [&](IndexerSettings& s) { s.dbPath = dir.Path("gone.db"); },
       "Выберите или создайте базу данных!", TForm2::kDatabasePage},
      {"no ffmpeg", [&](IndexerSettings& s) { s.ffmpeg = dir.Path("gone/ffmpeg"); },
       "Отсутствует утилита FFMPEG! Установите её пожалуйста и укажите её путь!", TForm2::kToolsPage},
      {"no sox", [&](IndexerSettings& s) { s.sox = dir.Path("gone/sox"); },
       "Отсутствует утилита SOX! Установите её пожалуйста и укажите её путь!", TForm2::kToolsPage},
      // Found out before any file is decoded in vain.
      {"read-only database", [&](IndexerSettings& s) { readOnly.emplace(s.dbPath); },
       "База данных доступна только для чтения: " + dir.Path("base.db"), TForm2::kDatabasePage},
      {"database folder without write permission",
       [&](IndexerSettings& s) {
         s.dbPath = dir.Path("locked/base.db");
         readOnly.emplace(dir.Path("locked"));
       },
       "Нет права на запись в каталог базы данных: " + dir.Path("locked"), TForm2::kDatabasePage},
  };
  const QString db = dir.Write("base.db");
  ASSERT_EQ(Sqlite3(db, "CREATE TABLE t(x);"), "");
  QDir().mkpath(dir.Path("locked"));
  ASSERT_TRUE(QFile::copy(db, dir.Path("locked/base.db")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings = {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work"), db, 1, true};
    c.spoil(settings);
    // The read-only cases come last: where nothing can be made read-only, the
    // others have been seen.
    if (readOnly && !readOnly->Made()) GTEST_SKIP() << "nothing can be made read-only here";
    Open();
    AddFiles({dir.Write("a.mp3")});
    dialogs.messages.clear();
    int shownPage = -1;
    QTimer closer;  // answers the modal settings window once it is up
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (auto* settingsWindow = qobject_cast<TForm2*>(QApplication::activeModalWidget())) {
        shownPage = settingsWindow->CurrentPage();
        settingsWindow->reject();
      }
    });
    closer.start(10);
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(dialogs.messages, QStringList{c.message});
    EXPECT_EQ(shownPage, c.page);
    EXPECT_FALSE(window->IndexingRunning());
    window.reset();
    readOnly.reset();
  }
}

TEST_F(MainWindowTest, QueueEditsAskBeforeDeletingAndListsKeepThePaths) {
  Open();
  QStringList files;
  for (const char* name : {"a.mp3", "b.ogg", "c.mp4", "d.flac", "e.wav"}) files.append(dir.Write(name, "x"));
  AddFiles(files);
  AddFiles({files[0], dir.Write("notes.txt")});  // a repeat and a stranger change nothing
  ASSERT_EQ(QueuedNames(), QStringList({"a", "b", "c", "d", "e"}));

  window->Grid()->selectRow(2);
  dialogs.answer = false;
  Popup("Удалить все файлы перед выбранным");
  EXPECT_EQ(QueuedNames().size(), 5);
  dialogs.answer = true;
  Popup("Удалить все файлы перед выбранным");
  EXPECT_EQ(QueuedNames(), QStringList({"c", "d", "e"}));
  EXPECT_EQ(window->Grid()->selectionModel()->selectedRows().value(0).row(), 0);
  window->Grid()->selectRow(1);
  Popup("Удалить все файлы после выбранного");
  EXPECT_EQ(QueuedNames(), QStringList({"c", "d"}));
  EXPECT_EQ(dialogs.questions,
            QStringList({"Требуется подтверждение: Вы точно хотите удалить все записи перед выбранной?",
                         "Требуется подтверждение: Вы точно хотите удалить все записи перед выбранной?",
                         "Требуется подтверждение: Вы точно хотите удалить все записи после выбранной?"}));
  EXPECT_EQ(window->QueueStatusText(0), "Кол-во файлов: 2");

  // Saved under a name without extension, the list gets ".list"; loading it back
  // after a new list restores the paths.
  chooser.answers = {dir.Path("mylist")};
  Click("Сохранить список");
  Click("Новый список");
  EXPECT_EQ(window->QueueModel().rowCount(), 0);
  chooser.answers = {dir.Path("mylist.list")};
  Click("Открыть список");
  EXPECT_EQ(QueuedNames(), QStringList({"c", "d"}));
  EXPECT_EQ(GridText(1, QueueTableModel::kPath), files[3]);
  EXPECT_EQ(GridText(1, QueueTableModel::kStatus), "");
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

// A first start has no work folder set: the run makes one of its own and works.
TEST_F(MainWindowTest, AFirstRunNeedsNoWorkFolderSetting) {
  settings.workDir.clear();
  Open();
  ASSERT_EQ(window->Settings().workDir, dir.Path("cache/Melobank/work"));  // else Start would open the settings
  chooser.answers = {dir.Path("base.db")};
  Click("Создать новую базу данных");
  AddFiles({testing::MakeTone(dir, "one.ogg", 31, 440)});
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(SpinUntil([&] { return !window->IndexingRunning(); }));
  EXPECT_EQ(dialogs.messages, QStringList{"Задание выполнено!"});
  EXPECT_TRUE(QFileInfo(dir.Path("cache/Melobank/work")).isDir());
  EXPECT_EQ(Sqlite3(dir.Path("base.db"), "SELECT count(*) FROM Data"), "1");
}

// The commands on the selected row work after the queue was refilled, without a
// click on a row first, and say so when no row is selected.
TEST_F(MainWindowTest, ARefilledQueueKeepsARowSelected) {
  Open();
  AddFiles({dir.Write("a.mp3", "x"), dir.Write("b.ogg", "x"), dir.Write("c.mp4", "x")});
  QTest::keyClick(window->Grid(), Qt::Key_Delete, Qt::ControlModifier);  // "Удалить файл"
  EXPECT_EQ(QueuedNames(), QStringList({"b", "c"}));
  window->Grid()->selectRow(1);
  AddFiles({dir.Write("d.flac", "x")});
  EXPECT_EQ(window->Grid()->selectionModel()->selectedRows().value(0).row(), 1);

  window->Grid()->clearSelection();
  Popup("Удалить все файлы после выбранного");
  EXPECT_EQ(dialogs.messages, QStringList{"Выберите файл в списке!"});
  EXPECT_TRUE(dialogs.questions.isEmpty());
  EXPECT_EQ(QueuedNames(), QStringList({"b", "c", "d"}));
}

TEST_F(MainWindowTest, DatabaseCommandsWorkOnRealFilesAndSayWhatHappened) {
  Open();
  int statisticsShown = 0;
  window->SetDatabaseWindows({[&] { ++statisticsShown; }, {}, {}, {}});
  Click("Очистить содержимое базы данных");
  Click("Сжать базу данных");
  Click("Информация о базе данных");
  EXPECT_EQ(dialogs.messages, QStringList(3, "База данных не подключена!"));
  EXPECT_EQ(statisticsShown, 0);

  chooser.answers = {dir.Path("first")};
  Click("Создать новую базу данных");
  const QString first = dir.Path("first.db");
  EXPECT_EQ(Sqlite3(first, "SELECT count(*) FROM Data"), "0");
  EXPECT_EQ(IniValue("DataBase/DBPath"), first);
  EXPECT_EQ(window->windowTitle(), "Melobank - " + first);
  Click("Информация о базе данных");
  EXPECT_EQ(statisticsShown, 1);

  const char* insert =
      "INSERT INTO Data(source_size,sha2,md5,duration,source_path,source_file_name,extension,type,audio_track,"
      "all_tracks,created,records,index_data) VALUES(1,'s','m',31,'/a.mp3','a','.mp3','аудио',0,1,'now',62,x'00');";
  ASSERT_EQ(Sqlite3(first, insert), "");
  dialogs.messages.clear();
  dialogs.answer = false;
  Click("Очистить содержимое базы данных");
  EXPECT_EQ(Sqlite3(first, "SELECT count(*) FROM Data"), "1");

  // Another program holding the write lock: the rows stay, and no success is claimed.
  QProcess holder;
  holder.start("sqlite3", {first});
  holder.write("BEGIN IMMEDIATE;\nSELECT 'locked';\n");
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  dialogs.answer = true;
  Click("Очистить содержимое базы данных");
  holder.closeWriteChannel();
  holder.waitForFinished(10000);
  EXPECT_EQ(Sqlite3(first, "SELECT count(*) FROM Data"), "1");
  EXPECT_EQ(dialogs.messages, QStringList({"Ошибка очистки таблицы!"}));

  // Another program's indexing run stores into it (its lock is the same here as
  // in another process): the rows stay.
  auto otherRun = std::make_unique<DatabaseFileLock>();
  ASSERT_TRUE(otherRun->Take(first, DatabaseFileLock::Use::Indexing));
  Click("Очистить содержимое базы данных");
  otherRun.reset();
  EXPECT_EQ(Sqlite3(first, "SELECT count(*) FROM Data"), "1");
  EXPECT_EQ(dialogs.messages.last(), "Базу данных пополняет другая индексация: дождитесь её завершения!");

  dialogs.messages.clear();
  Click("Очистить содержимое базы данных");
  Click("Сжать базу данных");
  EXPECT_EQ(Sqlite3(first, "SELECT count(*) FROM Data"), "0");
  EXPECT_EQ(dialogs.messages, QStringList({"База данных успешно очищена!", "База данных сжата!"}));

  // A missing file and a file that is no database leave the connection as it was.
  dialogs.messages.clear();
  chooser.answers = {dir.Path("missing.db"), dir.Write("text.db", QByteArray(4096, 't'))};
  Click("Переключиться на другую базу данных");
  Click("Переключиться на другую базу данных");
  EXPECT_EQ(dialogs.messages,
            QStringList({"Не найден файл: " + dir.Path("missing.db"), "Ошибка подключения к базе данных!"}));
  EXPECT_EQ(window->windowTitle(), "Melobank - " + first);
  EXPECT_EQ(IniValue("DataBase/DBPath"), first);

  const QString second = dir.Path("second.db");
  ASSERT_EQ(Sqlite3(second, "CREATE TABLE Data(id); INSERT INTO Data VALUES(7);"), "");
  chooser.answers = {second};
  Click("Переключиться на другую базу данных");
  EXPECT_EQ(IniValue("DataBase/DBPath"), second);
  EXPECT_EQ(window->DataModule().QueryScalar("SELECT max(id) AS res FROM Data"), 7);
  EXPECT_EQ(window->windowTitle(), "Melobank - " + second);
}

class IndexingThroughTheWindowTest : public MainWindowTest {
 protected:
  // A database made through the menu, and three files: two tones and a broken one.
  void Prepare() {
    Open();
    chooser.answers = {dir.Path("base.db")};
    Click("Создать новую базу данных");
    AddFiles({testing::MakeTone(dir, "one.ogg", 31, 440), testing::MakeTone(dir, "two.mp3", 31, 550),
              dir.Write("broken.flac", QByteArray(5000, 'z'))});
    ASSERT_EQ(QueuedNames(), QStringList({"one", "two", "broken"}));
  }
  QStringList GridColumn(int column) const {
    QStringList texts;
    for (int row = 0; row < window->QueueModel().rowCount(); ++row) texts.append(GridText(row, column));
    return texts;
  }
};

TEST_F(IndexingThroughTheWindowTest, ARunFillsTheGridAndTheMessagesWindow) {
  Prepare();
  int checksShown = 0;
  window->SetDatabaseWindows({{}, {}, [&] { ++checksShown; }, {}});
  QTest::mouseClick(window->StartStopButton(), Qt::LeftButton);
  EXPECT_EQ(window->StartStopButton()->text(), "Остановить индексацию");
  EXPECT_TRUE(window->MessagesWindow().isVisible());
  Click("Проверка базы данных");
  EXPECT_EQ(checksShown, 0);
  // Cleared now, the rows the run goes on storing would be gone while the grid
  // shows their files as stored.
  Click("Очистить содержимое базы данных");

  // The broken file failed: the run says so, and the messages window shows its page.
  ASSERT_TRUE(SpinUntil([&] { return dialogs.messages.contains("Задание выполнено с ошибками!"); }));
  // The grid and the status bar show the outcome at the queue tick's next refresh,
  // the messages window at its own last one.
  window->QueueStatusTick();
  TForm3& messages = window->MessagesWindow();
  ASSERT_TRUE(SpinUntil([&] { return !messages.Watching(); }));
  EXPECT_EQ(GridColumn(QueueTableModel::kStatus), QStringList({"обработан", "обработан", "ошибка"}));
  const QStringList processing = GridColumn(QueueTableModel::kProcessing);
  EXPECT_TRUE(processing[0].startsWith("0:00:")) << processing[0].toStdString();
  EXPECT_EQ(processing[2], window->Queue().Entries()[2].message);
  EXPECT_FALSE(processing[2].isEmpty());
  EXPECT_EQ(window->QueueStatusText(1), "Обработано: 2");
  EXPECT_EQ(window->QueueStatusText(2), "Ошибка: 1");
  EXPECT_EQ(window->StartStopButton()->text(), "Начать индексацию");
  EXPECT_EQ(Sqlite3(dir.Path("base.db"), "SELECT group_concat(source_file_name) FROM Data"), "one,two");

  EXPECT_EQ(messages.PageCaption(0), "Успешно обработаны: 2");
  EXPECT_EQ(messages.PageCaption(1), "Сообщения об ошибках: 1");
  EXPECT_EQ(messages.CurrentPage(), 1);
  EXPECT_TRUE(messages.PageText(1).endsWith(" - " + dir.Path("broken.flac")));
  EXPECT_TRUE(messages.StatusText(0).startsWith("Время запуска: "));

  Click("Проверка базы данных");
  EXPECT_EQ(checksShown, 1);
  EXPECT_EQ(dialogs.messages.mid(0, 2), QStringList({"Перед началом проверки остановите индексацию данных!",
                                                     "Перед очисткой базы данных остановите индексацию данных!"}));
  EXPECT_TRUE(dialogs.questions.isEmpty()) << dialogs.questions.join('|').toStdString();
}

TEST_F(IndexingThroughTheWindowTest, StopAndCloseLetTheWindowLiveUntilTheFilesHaveEnded) {
  // A sox that takes its time: the files are still being worked on when stopped.
  settings.sox = testing::MakeScript(dir, "slow-sox", "sleep 3; exec /usr/bin/sox \"$@\"");
  Prepare();
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(SpinUntil([&] { return QDir(dir.Path("work/0")).exists(); }));
  QTest::keyClick(window.get(), Qt::Key_F6);
  // The stop goes on in the background while the window keeps handling events.
  EXPECT_FALSE(dialogs.messages.contains("Индексация остановлена!"));
  EXPECT_FALSE(window->StartStopButton()->isEnabled());
  ASSERT_TRUE(SpinUntil([&] { return dialogs.messages.contains("Индексация остановлена!"); }));
  EXPECT_EQ(window->Queue().CountWithStatus(kStatusStopped), 2);
  EXPECT_EQ(window->Queue().Entries()[2].status, "");
  EXPECT_EQ(window->StartStopButton()->text(), "Начать индексацию");
  EXPECT_TRUE(window->StartStopButton()->isEnabled());

  // The start-up's clearing of the work folders, late, leaves a running file alone.
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(SpinUntil([&] { return QDir(dir.Path("work/0")).exists(); }));
  window->FollowUpTimerTick();
  EXPECT_TRUE(QDir(dir.Path("work/0")).exists());

  // Closed while a file is worked on: the window waits for it, then closes.
  window->close();
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(SpinUntil([&] { return !window->isVisible(); }));
  EXPECT_EQ(window->Queue().Entries()[2].status, kStatusStopped);
  EXPECT_FALSE(QDir(dir.Path("work/0")).exists());
}

}  // namespace
}  // namespace melo
