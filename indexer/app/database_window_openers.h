#pragma once

#include <functional>

namespace melo {

// The windows that look into the database (statistics, record browser, check,
// import, adding landmarks) are built apart from the main window; the program's
// start-up hands their openers to it here. Before it calls one, the main window has
// stopped the help videos and checked what that window needs: a connected database
// for the statistics, the check and the landmarks, no indexing running for the
// check, the import and the landmarks. An opener left empty does nothing.
struct DatabaseWindowOpeners {
  std::function<void()> showStatistics;  // "Информация о базе данных", modal
  std::function<void()> showBrowser;     // "Просмотр базы данных"
  std::function<void()> showCheck;       // "Проверка базы данных", modal
  std::function<void()> showImport;      // "Импорт информации из другой базы данных", modal
  std::function<void()> showLandmarks;   // kAddLandmarksCommand, modal
};

}  // namespace melo
