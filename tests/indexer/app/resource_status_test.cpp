#include "indexer/app/resource_status.h"

#include "tests/support/temp_dir.h"

#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace melo {
namespace {

TEST(ResourceStatus, MemoryFiguresComeFromMemInfoOrNotAtAll) {
  struct Case {
    const char* text;
    QString shown;  // empty: unreadable
  };
  const QList<Case> cases = {
      {"MemTotal:        8388608 kB\nMemFree:  100 kB\nMemAvailable:    2097152 kB\n",
       "Доступно ОЗУ: 2 048 МБ из 8 192 МБ (75% занято)"},
      {"MemAvailable: 3000000 kB\nMemTotal: 4000000 kB\n", "Доступно ОЗУ: 2 929 МБ из 3 906 МБ (25% занято)"},
      {"MemTotal: 4000000 kB\nMemFree: 1000 kB\n", ""},  // a kernel too old to say what is available
      {"MemTotal: many\nMemAvailable: 5 kB\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto memory = ParseMemInfo(c.text);
    EXPECT_EQ(memory ? MemoryText(*memory) : QString(), c.shown);
  }
  EXPECT_TRUE(ReadMemoryStatus().has_value());
}

TEST(ResourceStatus, FreeSpaceIsThatOfTheDiskHoldingTheWorkDirectory) {
  QLocale::setDefault(QLocale(QLocale::Russian));
  testing::TempDir dir;
  const QString text = FreeDiskText(dir.Path("not/made/yet"));
  EXPECT_TRUE(text.startsWith("Свободно на диске /")) << text.toStdString();
  EXPECT_TRUE(text.contains(QRegularExpression(": \\d+,\\d\\d ГБ$"))) << text.toStdString();
  EXPECT_EQ(FreeDiskText({}), "");
  QLocale::setDefault(QLocale::c());
}

}  // namespace
}  // namespace melo
