#include "base/log_writer.h"
#include "gui/file_chooser.h"
#include "indexer/windows/check_window.h"
#include "indexer/windows/database_windows.h"
#include "indexer/windows/import_window.h"
#include "indexer/windows/record_browser_window.h"
#include "indexer/windows/statistics_window.h"
#include "indexer/database/record_store.h"
#include "tests/support/event_loop.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/track_rows.h"

#include <QChartView>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::AudioRow;
using testing::PositiveRecords;
using testing::SpinUntil;
using testing::TempDir;

class DatabaseWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(dir.Path("main.db")));
    ASSERT_TRUE(store.CreateTable());
  }
  void TearDown() override { SetMyLogPath({}); }

  int64_t Rows() { return store.QueryScalar("SELECT COUNT(*) AS res FROM data"); }

  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
};

TEST_F(DatabaseWindowsTest, StatisticsAreReadOnShowingAndOnRefresh) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 100), PositiveRecords(100)), 0);
  DatabaseWindows windows(store, dialogs, [this] { return dir.Path("main.db"); });
  windows.ShowStatistics();
  TForm10* form = windows.Statistics();
  ASSERT_TRUE(form->isVisible());
  EXPECT_TRUE(form->isModal());
  EXPECT_EQ(form->windowTitle(), "База данных: " + dir.Path("main.db"));
  auto* totals = form->findChild<QTreeWidget*>();
  ASSERT_EQ(totals->topLevelItemCount(), 14);
  EXPECT_EQ(totals->topLevelItem(9)->text(0), "Суммарный объём индексов  (МБ)");
  EXPECT_EQ(totals->topLevelItem(0)->text(1), "1");

  ASSERT_EQ(store.InsertSQL(AudioRow("b", 100), PositiveRecords(100)), 0);
  for (QPushButton* button : form->findChildren<QPushButton*>()) {
    if (button->text() == "Обновить") QTest::mouseClick(button, Qt::LeftButton);
  }
  EXPECT_EQ(totals->topLevelItem(0)->text(1), "2");
  EXPECT_EQ(store.LockId(), -1);
}

TEST_F(DatabaseWindowsTest, BrowserShowsTwentyRecordsAt500PixelsAndNoneAtTheEnd) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 100), PositiveRecords(100)), 0);
  TForm9 form(store);
  form.EnvelopeView()->setFixedWidth(500);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.ListGroup()->title(), "Список записей: 1");
  EXPECT_EQ(form.Fields()->item(0, 1)->text(), "a");
  EXPECT_EQ(form.Envelope()->count(), 20);
  EXPECT_EQ(form.BandPicture()->pixmap().width(), 20);
  ASSERT_EQ(form.ScrollBar()->maximum(), 99);
  form.ScrollBar()->setValue(99);
  EXPECT_EQ(form.Envelope()->count(), 0);
}

TEST_F(DatabaseWindowsTest, CheckStartedTwiceRunsOnceAndCannotBeClosedWhileRunning) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 100), PositiveRecords(100)), 0);
  store.Connection()->exec("INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, "
                           "extension, type, audio_track, all_tracks, created, info, records, index_data) SELECT "
                           "source_size, sha2, md5, duration, source_path, source_file_name, extension, type, "
                           "audio_track, all_tracks, created, '', records, index_data FROM Data");
  TForm7 form(store, dialogs);
  form.Run().SetFinishPause(0);
  form.show();
  form.LandmarksOption()->setChecked(false);
  EXPECT_TRUE(form.StopButton()->isHidden());
  EXPECT_TRUE(form.Progress()->isHidden());

  store.LockDatabase(5);  // an indexing step holds the database: the check waits
  QTest::mouseClick(form.StartButton(), Qt::LeftButton);
  ASSERT_TRUE(form.Run().Running());
  EXPECT_TRUE(form.StartButton()->isHidden());
  EXPECT_TRUE(form.CloseButton()->isHidden());
  EXPECT_FALSE(form.StopButton()->isHidden());
  form.StartClick();
  form.reject();
  EXPECT_TRUE(form.isVisible());
  store.UnlockDatabase();

  ASSERT_TRUE(SpinUntil([&] { return !form.Run().Running(); }));
  EXPECT_EQ(dialogs.messages, QStringList({"Проверка уже начата!", "Дождитесь окончания проверки или остановите её!",
                                           "Проверка закончена!"}));
  // One thread: the duplicate and the empty tag text are each found once.
  ASSERT_EQ(form.Findings()->count(), 2);
  EXPECT_EQ(form.Findings()->item(0)->text(), form.Run().Findings()[0]);
  EXPECT_TRUE(form.Findings()->item(0)->text().contains("дубликаты (2)"));
  EXPECT_EQ(form.Progress()->value(), 100);
  EXPECT_EQ(form.Status()->text(), "Количество сообщений: 2");
  EXPECT_FALSE(form.StartButton()->isHidden());
  EXPECT_TRUE(form.StopButton()->isHidden());
  form.close();
  EXPECT_FALSE(form.isVisible());
}

TEST_F(DatabaseWindowsTest, ImportAsksFirstCannotBeClosedWhileRunningAndFreesItsThreadAfterTheSummary) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 100), PositiveRecords(100)), 0);
  {
    TDataModule1 other(dialogs);
    ASSERT_TRUE(other.OpenDatabase(dir.Path("other.db")));
    ASSERT_TRUE(other.CreateTable());
    ASSERT_EQ(other.InsertSQL(AudioRow("a", 100), PositiveRecords(100)), 0);
    ASSERT_EQ(other.InsertSQL(AudioRow("b", 100), PositiveRecords(100)), 0);
  }
  TDataModule2 source(dialogs);
  ScriptedFileChooser files;
  files.answers = {dir.Path("other.db")};
  TForm8 form(store, source, dialogs, files);
  form.show();
  // The main database itself, here through a link: every row would be found in
  // itself, and deleted and stored anew.
  ASSERT_TRUE(QFile::link(dir.Path("main.db"), dir.Path("link.db")));
  form.PathBox()->setText(dir.Path("link.db"));
  form.findChildren<QRadioButton*>().last()->setChecked(true);  // "Удалять старые записи, добавлять новые"
  QTest::mouseClick(form.StartButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.messages, QStringList{"Нельзя импортировать базу данных в саму себя!"});
  EXPECT_TRUE(dialogs.questions.isEmpty());
  ASSERT_FALSE(form.Run().Active());
  dialogs.messages.clear();
  form.findChildren<QRadioButton*>().first()->setChecked(true);

  form.ChooseClick();
  ASSERT_EQ(files.requests.size(), 1);
  EXPECT_EQ(files.requests[0].filter, "База данных (*.db)");
  EXPECT_EQ(form.PathBox()->text(), dir.Path("other.db"));

  dialogs.answer = false;  // no backup made
  QTest::mouseClick(form.StartButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.questions.size(), 1);
  EXPECT_FALSE(form.Run().Active());
  EXPECT_FALSE(source.IsConnected());
  EXPECT_FALSE(form.StartButton()->isHidden());

  dialogs.answer = true;
  store.LockDatabase(5);  // keeps the import from finishing while the window is closed
  QTest::mouseClick(form.StartButton(), Qt::LeftButton);
  ASSERT_TRUE(form.Run().Active());
  EXPECT_TRUE(form.StartButton()->isHidden());
  EXPECT_TRUE(form.ExitButton()->isHidden());
  form.reject();
  EXPECT_TRUE(form.isVisible());
  store.UnlockDatabase();

  ASSERT_TRUE(SpinUntil([&] { return !form.Run().Active(); }));
  EXPECT_FALSE(source.IsConnected());
  EXPECT_EQ(Rows(), 2);
  EXPECT_TRUE(dialogs.messages.contains("Задание выполнено!"));
  QStringList lines;
  for (int i = 0; i < form.Messages()->count(); ++i) lines << form.Messages()->item(i)->text();
  EXPECT_TRUE(lines.first().startsWith("Дубликат: MD5-хэш = a\tтрек = 0")) << lines.first().toStdString();
  EXPECT_TRUE(lines.contains("Обработано записей: 2 из 2"));
  EXPECT_TRUE(lines.contains("Добавлено новых записей: 1"));
  EXPECT_FALSE(form.StartButton()->isHidden());
  EXPECT_TRUE(form.StopButton()->isHidden());
  form.close();
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace melo
