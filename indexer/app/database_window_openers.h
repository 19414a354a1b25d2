#pragma once

#include <functional>

namespace melo {

// The windows that look into the database (statistics, record browser, check,
// import) are built apart from the main window; the program's start-up hands
// their openers to it here. The main window has checked the preconditions of
// each (connection, no indexing running) and stopped the help videos before it
// calls one. An opener left empty does nothing.
struct DatabaseWindowOpeners {
  std::function<void()> showStatistics;  // "Информация о базе данных", modal
  std::function<void()> showBrowser;     // "Просмотр базы данных"
  std::function<void()> showCheck;       // "Проверка базы данных", modal
  std::function<void()> showImport;      // "Импорт информации из другой базы данных", modal
};

}  // namespace melo
