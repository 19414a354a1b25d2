#include "tours/database_scenes.h"

#include "tours/recorded_scene.h"
#include "indexer/windows/check_window.h"
#include "indexer/windows/database_windows.h"
#include "indexer/windows/import_window.h"
#include "indexer/app/record_browser.h"
#include "indexer/windows/record_browser_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>

namespace melo {

namespace {

int BrowserScene(DatabaseWindows& windows, RecordedScene& scene) {
  windows.ShowBrowser();
  TForm9* browser = windows.Browser();
  if (!scene.Begin(browser, QSize(1100, 720))) return 1;
  scene.Caption(QStringLiteral("Просмотр базы данных: «База данных» →\n«Просмотр базы данных» (Ctrl+Alt+V)"), 4500);
  auto* list = browser->findChild<QListView*>();
  scene.Caption(QStringLiteral("Слева — все записи базы:\nвыберите любую"), 1000);
  scene.PointAt(list);
  const QStringList names = browser->Browser().Names();
  for (const QString& name : {QStringLiteral("glide"), QStringLiteral("saw")}) {
    browser->SelectRow(static_cast<int>(names.indexOf(name)));
    scene.Wait(1500);
  }
  scene.Caption(QStringLiteral("Справа — её поля: исходный файл, размер,\nхэши, длительность, дорожка"), 300);
  scene.PointAt(browser->Fields());
  scene.Wait(4500);
  browser->SelectRow(static_cast<int>(names.indexOf(QStringLiteral("film with two tracks [2]"))));
  scene.Caption(QStringLiteral("У видео с двумя звуковыми дорожками\nдве записи: [1] и [2]"), 4500);
  scene.Caption(QStringLiteral("Внизу — огибающая и полосы отпечатка;\nполоса прокрутки листает запись"), 300);
  scene.PointAt(browser->ScrollBar());
  for (int value = 0; value <= 30; value += 2) {
    browser->ScrollBar()->setValue(value);
    scene.Wait(250);
  }
  scene.Still(browser);
  scene.Wait(2500);
  scene.End();
  return 0;
}

int CheckScene(DatabaseWindows& windows, RecordedScene& scene) {
  windows.ShowCheck();
  TForm7* check = windows.Check();
  if (!scene.Begin(check, QSize(820, 560))) return 1;
  scene.Caption(QStringLiteral("Проверка базы данных (Ctrl+Alt+E) ищет\nдубликаты, пустые поля, пропавшие файлы"), 4500);
  scene.Caption(QStringLiteral("Отметьте, что проверять: например,\nналичие исходных файлов на диске"), 300);
  scene.PointAt(check->SourceFilesOption());
  check->SourceFilesOption()->setChecked(true);
  scene.Wait(3500);
  scene.Caption(QStringLiteral("«Старт» — и проверка идёт,\nокно при этом не замирает"), 300);
  scene.Press(check->StartButton());
  scene.WaitWhile([check] { return check->Run().Running(); });
  scene.Wait(1500);
  scene.Caption(QStringLiteral("Найденные ошибки: номер записи (Id)\nи что с ней не так"), 300);
  scene.PointAt(check->Findings());
  scene.Still(check->Findings());
  scene.Wait(4500);
  scene.Caption(QStringLiteral("Например, дубликат записи\nили исходный файл, которого больше нет"), 5000);
  scene.End();
  return 0;
}

int ImportScene(DatabaseWindows& windows, const QString& otherDatabase, RecordedScene& scene) {
  windows.ShowImport();
  TForm8* import = windows.Import();
  if (!scene.Begin(import, QSize(900, 560))) return 1;
  scene.Caption(QStringLiteral("Импорт (Ctrl+Alt+I) добавляет в текущую\nбазу записи из другой базы данных"), 4500);
  scene.Caption(QStringLiteral("Укажите её файл: кнопка «Выбрать»\nили путь в поле «База данных»"), 300);
  scene.PointAt(import->PathBox());
  for (qsizetype typed = 1; typed <= otherDatabase.size(); typed += 3) {
    import->PathBox()->setText(otherDatabase.left(typed));
    scene.Wait(60);
  }
  import->PathBox()->setText(otherDatabase);
  scene.Wait(2500);
  scene.Caption(QStringLiteral("Записи, которые уже есть в базе:\nоставить старые или заменить новыми"), 300);
  scene.PointAt(import->ReplaceOption());
  scene.Wait(4500);
  scene.Caption(QStringLiteral("«Начать импорт»"), 300);
  scene.Press(import->StartButton());
  scene.WaitWhile([import] { return import->Run().Active(); });
  scene.Wait(1000);
  scene.Still(import->Messages());
  scene.Caption(QStringLiteral("Итог: сколько записей обработано,\nсколько дубликатов пропущено и добавлено"), 5500);
  scene.End();
  return 0;
}

}  // namespace

int PlayDatabaseScene(int number, DatabaseWindows& windows, const QString& otherDatabase, RecordedScene& scene) {
  switch (number) {
    case 7:
      return BrowserScene(windows, scene);
    case 8:
      return CheckScene(windows, scene);
    case 9:
      return ImportScene(windows, otherDatabase, scene);
    default:
      return 2;
  }
}

}  // namespace melo
