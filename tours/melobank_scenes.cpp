#include "tours/melobank_scenes.h"

#include "gui/file_chooser.h"
#include "tours/recorded_scene.h"
#include "indexer/windows/main_window.h"
#include "indexer/windows/messages_window.h"
#include "indexer/windows/settings_window.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace melo {

namespace {

// Every Melobank video films the same area: the main window, and the windows
// that open over it.
const QSize kWindowSize(1000, 600);
void WaitForRun(TForm1& form, RecordedScene& scene) {
  scene.WaitWhile([&form] { return form.IndexingRunning(); });
}

void CreateDatabase(TForm1& form, ScriptedFileChooser& chooser, const QString& database) {
  chooser.answers = {database};
  form.MenuAction(QStringLiteral("Создать новую базу данных"))->trigger();
}

int IndexingScene(TForm1& form, ScriptedFileChooser& chooser, const MelobankSceneFiles& files, RecordedScene& scene) {
  if (!scene.Begin(&form, kWindowSize)) return 1;
  // The messages window that a run opens is left outside the filmed area here.
  form.MessagesWindow().move(kWindowSize.width() + 50, 0);
  scene.Caption(QStringLiteral("Индексация: из аудио и видео файлов\nполучается база данных отпечатков"), 4000);
  chooser.answers = {files.database};
  scene.Caption(QStringLiteral("Сначала создайте базу данных:\n«База данных» → «Создать новую базу данных»"), 300);
  scene.ChooseMenuItem(form.menuBar(), form.MenuAction(QStringLiteral("Создать новую базу данных")));
  scene.Wait(3000);
  chooser.answers = {files.library};
  scene.Caption(QStringLiteral("Добавьте папку с музыкой и видео:\n«Файл» → «Добавить файлы из каталога»"), 300);
  scene.ChooseMenuItem(form.menuBar(), form.MenuAction(QStringLiteral("Добавить файлы из каталога")));
  scene.Wait(3000);
  scene.Caption(QStringLiteral("Файлы встали в очередь:\nимя, тип, размер и дата"), 3500);
  scene.Caption(QStringLiteral("«Начать индексацию»: файлы\nобрабатываются по нескольку сразу"), 300);
  scene.Press(form.StartStopButton());
  WaitForRun(form, scene);
  scene.Wait(1500);  // the status line's next tick
  scene.Still(form.Grid()->parentWidget());
  scene.Caption(QStringLiteral("Готово: в каждой строке — итог,\nвнизу — сколько обработано и сколько ошибок"), 5000);
  scene.End();
  return 0;
}

int MessagesScene(TForm1& form, ScriptedFileChooser& chooser, const MelobankSceneFiles& files, RecordedScene& scene) {
  // Off camera: the database, one file indexed before, the folder in the queue.
  CreateDatabase(form, chooser, files.database);
  chooser.answers = {files.earlierFile};
  form.MenuAction(QStringLiteral("Добавить файлы"))->trigger();
  form.StartExecute();
  WaitForRun(form, scene);
  form.MenuAction(QStringLiteral("Новый список"))->trigger();
  chooser.answers = {files.library};
  form.MenuAction(QStringLiteral("Добавить файлы из каталога"))->trigger();
  TForm3& messages = form.MessagesWindow();
  messages.ClearMessages();
  messages.hide();
  if (!scene.Begin(&form, kWindowSize)) return 1;

  scene.Caption(QStringLiteral("Индексация запускается кнопкой\n«Начать индексацию» или клавишей F5"), 300);
  scene.Press(form.StartStopButton());
  messages.setGeometry(QRect(QPoint(0, 0), kWindowSize));
  messages.raise();
  scene.Caption(QStringLiteral("Окно «Сообщения» открывается само\nи показывает ход работы"), 4000);
  WaitForRun(form, scene);
  auto* pages = messages.findChild<QTabWidget*>();
  const QStringList captions = {
      QStringLiteral("«Успешно обработаны»:\nфайлы, которые попали в базу"),
      QStringLiteral("«Сообщения об ошибках»:\nфайл, который не удалось прочитать"),
      QStringLiteral("«Проиндексированы ранее»:\nфайлы, которые уже есть в базе"),
  };
  for (int page = 0; page < pages->count(); ++page) {
    scene.PointAt(pages->tabBar());
    pages->setCurrentIndex(page);
    if (page == 1) scene.Still(pages);
    scene.Caption(captions[page], 4000);
  }
  pages->setCurrentIndex(0);
  scene.Caption(QStringLiteral("Внизу — время работы и скорость:\nфайлов и часов аудио в час"), 4500);
  scene.End();
  return 0;
}

int SettingsScene(TForm1& form, ScriptedFileChooser& chooser, const MelobankSceneFiles& files, RecordedScene& scene) {
  CreateDatabase(form, chooser, files.database);
  if (!scene.Begin(&form, kWindowSize)) return 1;
  TForm2& settings = form.SettingsWindow();
  QAction* item = form.MenuAction(QStringLiteral("Изменить параметры"));
  scene.Caption(QStringLiteral("Настройки: «Настройки» → «Изменить параметры»\n(Ctrl+P)"), 300);
  scene.ShowMenuItem(form.menuBar(), item);
  // The settings window runs its own event loop: the rest of the scene plays in it.
  QTimer::singleShot(500, &settings, [&] {
    settings.move(30, 60);
    scene.Wait(2500);
    auto* pages = settings.findChild<QTabWidget*>();
    scene.Caption(QStringLiteral("База данных и рабочий каталог,\nгде файлы обрабатываются"), 4500);
    scene.PointAt(pages->tabBar());
    settings.SetPage(TForm2::kToolsPage);
    scene.Caption(QStringLiteral("Пути к ffmpeg и sox: Melobank\nнаходит их сам"), 4500);
    settings.SetPage(TForm2::kSpeedPage);
    scene.Still(pages);
    scene.Caption(QStringLiteral("Сколько файлов обрабатывать\nодновременно — количество потоков"), 2000);
    auto* threads = settings.findChild<QComboBox*>();
    scene.PointAt(threads);
    threads->setCurrentIndex(threads->count() - 1);
    scene.Wait(2500);
    scene.Caption(QStringLiteral("«Сохранить» записывает настройки\nв файл Melobank.ini"), 300);
    for (auto* button : settings.findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("Сохранить")) scene.Press(button);
    }
    scene.Wait(3500);
  });
  item->trigger();
  scene.End();
  return 0;
}

}  // namespace

int PlayMelobankScene(int number, TForm1& form, ScriptedFileChooser& chooser, const MelobankSceneFiles& files,
                      RecordedScene& scene) {
  switch (number) {
    case 4:
      return IndexingScene(form, chooser, files, scene);
    case 5:
      return MessagesScene(form, chooser, files, scene);
    case 6:
      return SettingsScene(form, chooser, files, scene);
    default:
      return 2;
  }
}

}  // namespace melo
