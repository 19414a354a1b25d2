#include "gui/termination_signals.h"

#include <QPointer>
#include <QSocketNotifier>
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

}  // namespace

void CloseOnTerminationSignals(QWidget* mainWindow) {
  if (signalSocket[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
  auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, mainWindow);
  QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [window = QPointer<QWidget>(mainWindow)] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(signalSocket[1], &byte, 1);
    if (window) window->close();
  });
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace melo
