#include "tours/recorded_scene.h"

#include "base/event_wait.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <cstdio>

namespace melo {

namespace {

constexpr int kPointerSteps = 12;
constexpr int kPointerStepMs = 30;
constexpr int kMenuRestMs = 1500;
constexpr int kGoTimeoutMs = 60000;
constexpr int kLongestWaitMs = 120000;

}  // namespace

RecordedScene::RecordedScene(QString goFile) : goFile_(std::move(goFile)) {}

bool RecordedScene::Begin(QWidget* window, QSize size) {
  window->resize(size);
  window->move(0, 0);
  window->show();
  window->raise();
  window->activateWindow();
  Wait(1000);  // laid out and painted before the first frame
  QCursor::setPos(window->frameGeometry().center());
  const QRect frame = window->frameGeometry();
  Print(QStringLiteral("window %1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height()));
  if (!TurnEventsUntil([this] { return QFileInfo::exists(goFile_); }, kGoTimeoutMs)) return false;
  clock_.start();
  return true;
}

void RecordedScene::Caption(const QString& text, int ms) {
  QString oneLine = text;
  Print(QStringLiteral("caption %1 %2").arg(Seconds(), 0, 'f', 2).arg(oneLine.replace(QLatin1Char('\n'), "\\n")));
  Wait(ms);
}

void RecordedScene::Still(QWidget* focus) {
  const QRect area(focus->mapToGlobal(QPoint(0, 0)), focus->size());
  Print(QStringLiteral("still %1 %2 %3 %4 %5")
            .arg(Seconds(), 0, 'f', 2)
            .arg(area.x())
            .arg(area.y())
            .arg(area.width())
            .arg(area.height()));
}

void RecordedScene::Wait(int ms) { TurnEvents(ms); }

void RecordedScene::WaitWhile(const std::function<bool()>& busy) {
  TurnEventsUntil([&busy] { return !busy(); }, kLongestWaitMs);
}

void RecordedScene::PointAt(QWidget* widget) {
  const QPoint from = QCursor::pos();
  const QPoint to = widget->mapToGlobal(widget->rect().center());
  for (int step = 1; step <= kPointerSteps; ++step) {
    QCursor::setPos(from + (to - from) * step / kPointerSteps);
    Wait(kPointerStepMs);
  }
}

void RecordedScene::Press(QAbstractButton* button) {
  PointAt(button);
  button->animateClick();
  Wait(300);
}

void RecordedScene::ShowMenuItem(QMenuBar* bar, QAction* item) {
  QMenu* menu = nullptr;
  for (QObject* owner : item->associatedObjects()) {
    auto* candidate = qobject_cast<QMenu*>(owner);
    if (candidate && bar->actions().contains(candidate->menuAction())) menu = candidate;
  }
  if (menu) {
    QCursor::setPos(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).center()));
    bar->setActiveAction(menu->menuAction());
    Wait(400);
    menu->setActiveAction(item);
    QCursor::setPos(menu->mapToGlobal(menu->actionGeometry(item).center()));
    Wait(kMenuRestMs);
    menu->hide();
    Wait(100);
  }
}

void RecordedScene::ChooseMenuItem(QMenuBar* bar, QAction* item) {
  ShowMenuItem(bar, item);
  item->trigger();
}

void RecordedScene::End() {
  Print(QStringLiteral("end %1").arg(Seconds(), 0, 'f', 2));
  Wait(1500);  // the recorder's last frames still show the window
}

void RecordedScene::Print(const QString& line) {
  std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
  std::fflush(stdout);
}

double RecordedScene::Seconds() const { return clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0; }

}  // namespace melo
