// The file dialogs are Russian in every column, whatever the system's locale.
#include "gui/file_chooser.h"
#include "gui/message_dialogs.h"
#include "tests/support/event_loop.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace melo {
namespace {

TEST(FileDialogs, NameTypesSizesAndDatesInRussian) {
  InstallRussianQtTexts();
  testing::TempDir dir;
  QDir().mkpath(dir.Path("Песни"));
  {
    QFile song(dir.Write("a.mp3", QByteArray(3000, 'x')));
    ASSERT_TRUE(song.open(QIODevice::ReadWrite));
    song.setFileTime(QDateTime(QDate(2024, 5, 1), QTime(13, 45)), QFileDevice::FileModificationTime);
  }
  QStringList rows;  // what the dialog's detail view shows, column by column
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* view = dialog->findChild<QTreeView*>();
    ASSERT_NE(view, nullptr);
    testing::SpinUntil([&] { return view->model()->rowCount(view->rootIndex()) == 2; }, 10000);
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
      QStringList cells;
      for (int column = 0; column < 4; ++column) {
        cells << view->model()->index(row, column, view->rootIndex()).data().toString();
      }
      rows << cells.join(" | ");
    }
    dialog->reject();
  });
  DialogFileChooser chooser;
  EXPECT_EQ(chooser.OpenFile({QStringLiteral("Открыть"), dir.Path(), {}}), QString());
  rows.sort();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_TRUE(rows[1].startsWith("Песни |  | Папка | ")) << rows[1].toStdString();
  EXPECT_EQ(rows[0], "a.mp3 | 2,9 кБ | Аудио MP3 | 01.05.2024 13:45");
}

}  // namespace
}  // namespace melo
