#pragma once

class QWidget;

namespace melo {

// Closes `mainWindow` like the user would when the program is asked to end by a
// signal (SIGTERM at logout or from a service manager, SIGINT, SIGHUP), so the
// settings are written and the work folders cleared as on "Выход". Call once.
void CloseOnTerminationSignals(QWidget* mainWindow);

}  // namespace melo
