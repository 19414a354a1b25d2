#include "searcher/windows/history_window.h"

#include "gui/file_chooser.h"
#include "searcher/app/text_table_model.h"
#include "tests/support/recording_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace melo::melodar {
namespace {

const QString kFound = "2024-05-01 13:45:10 \t0,250\tOK\t480000\t0:00:10\t3\tSome Title\t1.00% 9 - 9 - 9 - 9 - 9 - 9\t4\t7\t5\t9";
const QString kFailed = "2024-05-01 13:45:11 \t0,300\t\t\t\t\t\t0.00% 9 - 9 - 0 - 0 - 0 - 0\t\t\t\t";

TEST(HistoryWindowTest, CopyingExportsTheVisibleColumnsOfTheShownRows) {
  testing::RecordingDialogs dialogs;
  ScriptedFileChooser chooser;
  struct Case {
    bool debugMode;
    QString copied;
  };
  const QList<Case> cases = {
      {false, "2024-05-01 13:45:10 \t0,250\tOK\t480000\t0:00:10\tSome Title"},
      {true, kFound},
  };
  for (const Case& c : cases) {
    TForm11 window(dialogs, chooser, c.debugMode);
    window.ApplyDebugMode();  // what its timer does a second after start
    window.AppendLine(kFound);
    window.AppendLine(kFailed);
    window.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), c.copied);
    EXPECT_EQ(window.StatusText(0), "Количество записей: 2");

    // Showing failed lines again shows unconfirmed ones too.
    window.FoundOnlyItem()->trigger();
    EXPECT_FALSE(window.ConfirmedOnlyItem()->isChecked());
    EXPECT_EQ(window.Table().rowCount(), 2);
    EXPECT_EQ(window.Tabs()->count(), c.debugMode ? 4 : 3);  // the failure tab is for debugging
  }
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

}  // namespace
}  // namespace melo::melodar
