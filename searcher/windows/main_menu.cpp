#include "searcher/windows/main_menu.h"

#include "gui/desktop_actions.h"
#include "searcher/app/web_addresses.h"
#include "searcher/engine/search_parameters.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace melo::melodar {

QAction* MainMenu::Add(QMenu* menu, const QString& text, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setShortcut(shortcut);
  return action;
}

QActionGroup* MainMenu::AddRadioItems(QMenu* menu, const QList<QString>& texts, const QList<int>& values,
                                      const QList<QKeySequence>& shortcuts, int checkedValue) {
  auto* group = new QActionGroup(menu);
  for (qsizetype i = 0; i < texts.size(); ++i) {
    QAction* item = Add(menu, texts[i], i < shortcuts.size() ? shortcuts[i] : QKeySequence());
    item->setCheckable(true);
    item->setData(values[i]);
    item->setChecked(values[i] == checkedValue);
    group->addAction(item);
  }
  return group;
}

QAction* MainMenu::Item(QActionGroup* group, int value) {
  for (QAction* item : group->actions()) {
    if (item->data().toInt() == value) return item;
  }
  return nullptr;
}

MainMenu::MainMenu(QMenuBar* bar) {
  QMenu* file = bar->addMenu(QStringLiteral("Файл"));
  saveResult = Add(file, QStringLiteral("Сохранить текущий результат поиска"), {});
  exit = Add(file, QStringLiteral("Выход"), {});

  QMenu* database = bar->addMenu(QStringLiteral("База данных"));
  chooseDatabase = Add(database, QStringLiteral("Выбрать базу данных"), QKeySequence(QStringLiteral("Ctrl+B")));
  downloadDatabase = Add(database, QStringLiteral("Скачать базу данных"), QKeySequence(QStringLiteral("Ctrl+D")));

  QMenu* query = bar->addMenu(QStringLiteral("Аудио запрос"));
  chooseQueryFolder = Add(query, QStringLiteral("Выбрать каталог для сохранения аудио запросов"), {});
  saveQueryDat = Add(query, QStringLiteral("Сохранить аудио запрос в DAT-файл"), QKeySequence(QStringLiteral("Ctrl+Q")));
  saveQueryWav = Add(query, QStringLiteral("Сохранить аудио запрос в WAV-файл"), QKeySequence(QStringLiteral("Ctrl+W")));
  openQuery = Add(query, QStringLiteral("Открыть сохранённый аудио запрос"), QKeySequence(QStringLiteral("Ctrl+O")));
  querySize = AddRadioItems(query->addMenu(QStringLiteral("Размер аудио запроса")),
                            {QStringLiteral("3 секунды"), QStringLiteral("4 секунды"), QStringLiteral("5 секунд"),
                             QStringLiteral("6 секунд"), QStringLiteral("7 секунд")},
                            {3, 4, 5, 6, 7}, {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7}, 4);
  playQuery = Add(query, QStringLiteral("Прослушать аудио запрос"), {});

  QMenu* programs = bar->addMenu(QStringLiteral("Приложения"));
  restart = Add(programs, QStringLiteral("Перезапуск"), QKeySequence(QStringLiteral("Ctrl+R")));
  indexing = Add(programs, QStringLiteral("Индексация аудио"), QKeySequence(QStringLiteral("Ctrl+I")));

  QMenu* view = bar->addMenu(QStringLiteral("Вид"));
  showInfoBlocks = Add(view, QStringLiteral("Показать информационные блоки"), {});
  showInfoBlocks->setCheckable(true);
  showInfoBlocks->setChecked(true);

  QMenu* searching = bar->addMenu(QStringLiteral("Поиск"));
  search = Add(searching, QStringLiteral("Разовый поиск"), QKeySequence(QStringLiteral("Ctrl+F")));
  automatic = Add(searching, QStringLiteral("Автоматический поиск"), QKeySequence(QStringLiteral("Ctrl+U")));
  searching->addSeparator();
  mode = AddRadioItems(searching,
                       {QStringLiteral("Быстрый"), QStringLiteral("Тщательный"), QStringLiteral("Скурпулёзный"),
                        QStringLiteral("Шумоустойчивый"), QStringLiteral("Устойчивый (через микрофон)")},
                       {static_cast<int>(SearchMode::Fast), static_cast<int>(SearchMode::Thorough),
                        static_cast<int>(SearchMode::Scrupulous), static_cast<int>(SearchMode::Noisy),
                        static_cast<int>(SearchMode::Robust)},
                       {Qt::Key_F10, Qt::Key_F11, Qt::Key_F12, Qt::Key_F9, Qt::Key_F8}, static_cast<int>(SearchMode::Fast));
  searching->addSeparator();
  interval = AddRadioItems(searching->addMenu(QStringLiteral("Интервал автопоиска")),
                           {QStringLiteral("0.5 секунды"), QStringLiteral("1 секунда"), QStringLiteral("2 секунды"),
                            QStringLiteral("3 секунды"), QStringLiteral("5 секунд"), QStringLiteral("10 секунд"),
                            QStringLiteral("30 секунд"), QStringLiteral("60 секунд")},
                           {500, 1000, 2000, 3000, 5000, 10000, 30000, 60000}, {}, 1000);

  debug = bar->addMenu(QStringLiteral("Отладка"));
  const QStringList debugTexts = {QStringLiteral("График"),
                                  QStringLiteral("Полный поиск"),
                                  QStringLiteral("Тест умножение"),
                                  QStringLiteral("Профилирование"),
                                  QStringLiteral("Просмотр записей"),
                                  QStringLiteral("Сравнение контрольных точек"),
                                  QStringLiteral("Разница в соседних спектрах"),
                                  QStringLiteral("Сравнение спектров исходника и захваченного аудио"),
                                  QStringLiteral("Лог"),
                                  QStringLiteral("Изучение спектров"),
                                  QStringLiteral("Кол-во данных"),
                                  QStringLiteral("Размер записи"),
                                  QStringLiteral("Аудио плеер"),
                                  QStringLiteral("Тестовое окружение"),
                                  QStringLiteral("Значения переменных"),
                                  QStringLiteral("Зависимость спектра от уровня сигнала"),
                                  QStringLiteral("Параметры поиска")};
  for (int i = 0; i < kDebugItems; ++i) {
    debugItems[static_cast<size_t>(i)] =
        Add(debug, debugTexts[i],
            i == static_cast<int>(DebugItem::TestEnvironment) ? QKeySequence(QStringLiteral("Ctrl+F12")) : QKeySequence());
  }
  debug->menuAction()->setVisible(false);

  QMenu* alternatives = bar->addMenu(QStringLiteral("Альтернатива"));
  for (const WebService& service : AlternativeServices()) {
    QObject::connect(alternatives->addAction(service.name), &QAction::triggered,
                     [address = service.address] { OpenWithDesktop(address); });
  }

  QMenu* windows = bar->addMenu(QStringLiteral("Окна"));
  history = Add(windows, QStringLiteral("История результатов"), QKeySequence(QStringLiteral("Ctrl+H")));
  queryAndResults =
      Add(windows, QStringLiteral("Поисковый запрос и результаты поиска"), QKeySequence(QStringLiteral("Ctrl+P")));
  loadErrors = Add(windows, QStringLiteral("Ошибки загрузки данных"), QKeySequence(QStringLiteral("Ctrl+E")));

  QMenu* helpMenu = bar->addMenu(QStringLiteral("Помощь"));
  help = Add(helpMenu, QStringLiteral("Справка"), Qt::Key_F1);
  about = Add(helpMenu, QStringLiteral("О программе"), QKeySequence(QStringLiteral("Ctrl+F1")));
  helpMenu->addSeparator();
  reportError = Add(helpMenu, QStringLiteral("Сообщить об ошибке в программе"), {});
  addReview = Add(helpMenu, QStringLiteral("Добавить отзыв о программе"), {});
  writeDevelopers = Add(helpMenu, QStringLiteral("Написать разработчикам программы"), {});
  sendMessage = Add(helpMenu, QStringLiteral("Отправить сообщение через сайт"), {});
}

}  // namespace melo::melodar
