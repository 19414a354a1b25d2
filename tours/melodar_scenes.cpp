#include "tours/melodar_scenes.h"

#include "tours/recorded_scene.h"
#include "searcher/windows/history_window.h"
#include "searcher/windows/main_menu.h"
#include "searcher/windows/main_window.h"
#include "searcher/windows/query_results_window.h"
#include "searcher/app/searcher_session.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

namespace melo {

namespace {

int IdentifyScene(melodar::TForm1& window, RecordedScene& scene) {
  if (!scene.Begin(&window, QSize(860, 580))) return 1;
  auto* sources = window.findChild<QComboBox*>();
  scene.Caption(QStringLiteral("Melodar слушает звук, который играет\nсам компьютер: «Аудио микшер»"), 300);
  scene.PointAt(sources);
  scene.Wait(4000);
  scene.Caption(QStringLiteral("«Поиск» сравнивает последние секунды\nзвука с базой данных"), 300);
  scene.Press(window.findChild<QPushButton*>(QStringLiteral("searchButton")));
  scene.Wait(3500);
  scene.Caption(QStringLiteral("Ответ: название трека, ниже — позиция\nв нём, файл и другие сведения"), 300);
  scene.PointAt(window.findChild<QTableWidget*>());
  scene.Still(window.centralWidget());
  scene.Wait(5000);
  auto* automatic = window.findChild<QPushButton*>(QStringLiteral("autoButton"));
  scene.Caption(QStringLiteral("«Автопоиск» ищет снова каждую секунду,\nпока не нажата кнопка «Стоп»"), 300);
  scene.Press(automatic);
  scene.Wait(5000);
  scene.Caption(QStringLiteral("Заиграл другой трек — ответ\nсменился сам"), 5000);
  scene.Press(automatic);
  scene.Wait(1500);
  scene.End();
  return 0;
}

int QueryScene(melodar::TForm1& window, SearcherSession& session, RecordedScene& scene) {
  session.Search();
  session.WaitForSearch();
  window.Menu().queryAndResults->trigger();
  melodar::TForm4* results = window.QueryResultsWindow();
  if (!scene.Begin(results, QSize(1000, 660))) return 1;
  auto* chart = results->findChild<QChartView*>();
  scene.Caption(QStringLiteral("Запрос и результаты: меню «Окна» →\n«Поисковый запрос…» (Ctrl+P)"), 4500);
  scene.Caption(QStringLiteral("Голубая линия — громкость запроса,\nчёрные точки — его ключевые точки"), 300);
  scene.PointAt(chart);
  scene.Wait(4500);
  scene.Still(chart);
  scene.Caption(QStringLiteral("Красные точки — те же места в найденном\nтреке: чем ближе, тем вернее ответ"), 5500);
  scene.Caption(QStringLiteral("Внизу — лучшие совпадения,\nпервое из них и есть ответ"), 300);
  scene.PointAt(results->findChild<QTableView*>());
  scene.Wait(4500);
  scene.Caption(QStringLiteral("Каждый новый поиск (Ctrl+F)\nобновляет это окно"), 300);
  window.Menu().search->trigger();
  scene.Wait(4500);
  scene.End();
  return 0;
}

int HistoryScene(melodar::TForm1& window, SearcherSession& session, RecordedScene& scene) {
  // Off camera: half a minute of searches every second, over both tracks.
  window.Menu().automatic->trigger();
  scene.Wait(30000);
  window.Menu().automatic->trigger();
  session.WaitForSearch();
  window.Menu().history->trigger();
  melodar::TForm11* history = window.HistoryWindow();
  if (!scene.Begin(history, QSize(1000, 640))) return 1;
  scene.Caption(QStringLiteral("История поиска (Ctrl+H): одна строка —\nодин поиск, новые внизу"), 5000);
  scene.Caption(QStringLiteral("«OK» — тот же трек, что и в прошлый раз,\nи место рядом: ответу можно верить"), 300);
  scene.PointAt(history->findChild<QTableView*>());
  scene.Wait(5000);
  const QStringList captions = {
      QStringLiteral("«Уникальные значения»: сколько раз\nнайден каждый трек"),
      QStringLiteral("«Статистика результатов»: сколько\nнайдено и как долго шёл поиск"),
  };
  for (int tab = 1; tab <= captions.size(); ++tab) {
    scene.PointAt(history->Tabs()->tabBar());
    history->Tabs()->setCurrentIndex(tab);
    if (tab == 2) scene.Still(history->Tabs());
    scene.Caption(captions[tab - 1], 5000);
  }
  history->Tabs()->setCurrentIndex(0);
  scene.Wait(1500);
  scene.End();
  return 0;
}

}  // namespace

int PlayMelodarScene(int number, melodar::TForm1& window, SearcherSession& session, RecordedScene& scene) {
  switch (number) {
    case 1:
      return IdentifyScene(window, scene);
    case 2:
      return QueryScene(window, session, scene);
    case 3:
      return HistoryScene(window, session, scene);
    default:
      return 2;
  }
}

}  // namespace melo
