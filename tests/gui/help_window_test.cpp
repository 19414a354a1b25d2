// The help opens in the program's own window, so it needs no browser.
#include "gui/content_files.h"
#include "gui/desktop_actions.h"
#include "tests/support/event_loop.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBrowser>
#include <QWidget>
#include <gtest/gtest.h>

namespace melo {
namespace {

QTextBrowser* ShownHelp() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible()) continue;
    if (auto* browser = widget->findChild<QTextBrowser*>()) return browser;
  }
  return nullptr;
}

TEST(HelpPages, OpenInAWindowOfTheProgramAtTheirSection) {
  testing::TempDir dir;
  SetContentDir(dir.Path());
  QString body;
  for (int i = 0; i < 200; ++i) body += QStringLiteral("<p>Строка %1</p>").arg(i);
  dir.Write("help/page.html", ("<html><head><title>Программа — справка</title></head><body>" + body +
                               "<h2 id=\"contact\">Связь</h2><p>Напишите нам.</p>"
                               "</body></html>")
                                  .toUtf8());
  testing::RecordingDialogs dialogs;
  QWidget owner;
  owner.show();

  EXPECT_TRUE(ShowHelpPage("help/page.html", "contact", dialogs, &owner));
  QTextBrowser* browser = ShownHelp();
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->window()->windowTitle(), "Программа — справка");
  EXPECT_TRUE(browser->toPlainText().contains("Строка 199"));
  testing::Spin(50);
  EXPECT_GT(browser->verticalScrollBar()->value(), 0);  // at "Связь", far down the page

  EXPECT_FALSE(ShowHelpPage("help/other.html", {}, dialogs, &owner));
  EXPECT_EQ(dialogs.messages, QStringList{"Не найден файл: " + dir.Path("help/other.html")});
  SetContentDir({});
}

}  // namespace
}  // namespace melo
