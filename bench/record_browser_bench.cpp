// record_browser_bench DB [RUNS]: how long the record browser takes to open on a
// database (list read under the lock, list shown, first row loaded and drawn), and
// to show another row, on the offscreen platform.
#include "base/dialogs.h"
#include "indexer/app/record_browser.h"
#include "indexer/windows/record_browser_window.h"
#include "indexer/database/record_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTextStream out(stdout);
  if (argc < 2) {
    out << "usage: record_browser_bench DB [RUNS]\n";
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
  melo::StderrDialogs dialogs;
  melo::TDataModule1 store(dialogs);
  if (!store.OpenDatabase(QString::fromLocal8Bit(argv[1]))) return 1;

  std::vector<double> list, open, row;
  qsizetype rows = 0;
  for (int run = 0; run < runs; ++run) {
    melo::RecordBrowser browser(store);  // the list read alone
    QElapsedTimer t;
    t.start();
    browser.Reload();
    list.push_back(Ms(t));
    rows = browser.Names().size();

    melo::TForm9 window(store);
    t.restart();
    window.show();  // reads the list, fills it, loads and draws the first row
    QCoreApplication::processEvents();
    open.push_back(Ms(t));
    t.restart();
    window.SelectRow(static_cast<int>(rows / 2));
    QCoreApplication::processEvents();
    row.push_back(Ms(t));
  }
  out << "rows " << rows << ", " << runs << " runs, median (first run) in ms\n";
  out << QStringLiteral("list read (ListRecords)   %1 (%2)\n").arg(Median(list), 0, 'f', 1).arg(list[0], 0, 'f', 1);
  out << QStringLiteral("window shown              %1 (%2)\n").arg(Median(open), 0, 'f', 1).arg(open[0], 0, 'f', 1);
  out << QStringLiteral("another row shown         %1 (%2)\n").arg(Median(row), 0, 'f', 1).arg(row[0], 0, 'f', 1);
  return 0;
}
