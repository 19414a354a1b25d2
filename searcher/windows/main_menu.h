#pragma once

#include <QList>
#include <QString>
#include <array>

class QAction;
class QActionGroup;
class QKeySequence;
class QMenu;
class QMenuBar;

namespace melo::melodar {

// The searcher main window's menu bar: every item with its caption and shortcut,
// the radio groups (query size, search mode, automatic interval) with their
// defaults checked. The "Альтернатива" items open their services' pages
// themselves; everything else is wired by the window.
class MainMenu {
 public:
  explicit MainMenu(QMenuBar* bar);

  // "Файл"
  QAction* saveResult;
  QAction* exit;
  // "База данных"
  QAction* chooseDatabase;
  QAction* downloadDatabase;
  // "Аудио запрос"
  QAction* chooseQueryFolder;
  QAction* saveQueryDat;
  QAction* saveQueryWav;
  QAction* openQuery;
  QActionGroup* querySize;  // data(): seconds
  QAction* playQuery;
  // "Приложения"
  QAction* restart;
  QAction* indexing;
  // "Вид"
  QAction* showInfoBlocks;
  // "Поиск"
  QAction* search;
  QAction* automatic;
  QActionGroup* mode;      // data(): SearchMode
  QActionGroup* interval;  // data(): milliseconds
  // "Отладка": shown in debug mode; its items in the menu's order.
  enum class DebugItem {
    Graph,               // "График"
    FullSearch,          // "Полный поиск"
    MultiplicationTest,  // "Тест умножение"
    Profiling,           // "Профилирование"
    Records,             // "Просмотр записей"
    KeypointComparison,  // "Сравнение контрольных точек"
    NeighbourSpectra,    // "Разница в соседних спектрах"
    SourceAndCapture,    // "Сравнение спектров исходника и захваченного аудио"
    Log,                 // "Лог"
    SpectrumStudy,       // "Изучение спектров"
    DataCounts,          // "Кол-во данных"
    RecordSize,          // "Размер записи"
    AudioPlayer,         // "Аудио плеер"
    TestEnvironment,     // "Тестовое окружение" (Ctrl+F12)
    Variables,           // "Значения переменных"
    LevelDependence,     // "Зависимость спектра от уровня сигнала"
    SearchParameters,    // "Параметры поиска"
  };
  static constexpr int kDebugItems = static_cast<int>(DebugItem::SearchParameters) + 1;
  QMenu* debug;
  std::array<QAction*, kDebugItems> debugItems;
  QAction* Debug(DebugItem item) const { return debugItems[static_cast<size_t>(item)]; }
  // "Окна"
  QAction* history;
  QAction* queryAndResults;
  QAction* loadErrors;
  // "Помощь"
  QAction* help;
  QAction* about;
  QAction* reportError;
  QAction* addReview;
  QAction* writeDevelopers;
  QAction* sendMessage;

  // The item of a radio group whose data() is `value`.
  static QAction* Item(QActionGroup* group, int value);

 private:
  QAction* Add(QMenu* menu, const QString& text, const QKeySequence& shortcut);
  QActionGroup* AddRadioItems(QMenu* menu, const QList<QString>& texts, const QList<int>& values,
                              const QList<QKeySequence>& shortcuts, int checkedValue);
};

}  // namespace melo::melodar
