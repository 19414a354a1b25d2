#include "gui/termination_signals.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace melo {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the
// other end and closes the window on the main thread.
int signalSocket[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
}

constexpr int kRetryMs = 50;

// A message box or file dialog runs an event loop of its own, and the code that
// opened it is still on the stack (a helper thread may be waiting for its answer).
// Closing the window from inside that loop would wait for the helper, which
// waits for the dialog: the dialogs are closed first and the window only once
// their loops have returned to the program's own.
void CloseOnceNoDialogIsOpen(QPointer<QWidget> window) {
  if (!window) return;
  if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  if (QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() > 1) {
    QTimer::singleShot(kRetryMs, window, [window] { CloseOnceNoDialogIsOpen(window); });
    return;
  }
  window->close();
}

}  // namespace

void CloseOnTerminationSignals(QWidget* mainWindow) {
  if (signalSocket[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
  auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, mainWindow);
  QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [window = QPointer<QWidget>(mainWindow)] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(signalSocket[1], &byte, 1);
    CloseOnceNoDialogIsOpen(window);
  });
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace melo
