#pragma once

#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <functional>

class QAbstractButton;
class QAction;
class QMenuBar;
class QWidget;

namespace melo {

// A tour's paced mode, in which it acts one task in one window slowly enough to be
// filmed for a help video (scripts/make-content films it). The window sits at the
// screen's top left; its place goes to standard output ("window X Y W H") and the
// scene waits until the recorder creates the go file. Each step then prints
// "caption SECONDS TEXT" (line breaks written as \n), seconds counted from the go,
// for the recorder to draw and speak; "still SECONDS X Y W H" marks the moment and
// the screen area the panel's picture is taken from; "end SECONDS" closes the scene.
class RecordedScene {
 public:
  explicit RecordedScene(QString goFile);

  // Shows `window` at the top left in `size`; false when no go came within a minute.
  bool Begin(QWidget* window, QSize size);
  // Shows `text` and lets the window live for `ms`.
  void Caption(const QString& text, int ms);
  // The panel's picture: `focus` as it looks now.
  void Still(QWidget* focus);
  void Wait(int ms);
  // Lets the window live while `busy` holds, two minutes at the most.
  void WaitWhile(const std::function<bool()>& busy);
  // Moves the pointer to the middle of `widget` as a user's hand would.
  void PointAt(QWidget* widget);
  // Points at the button and presses it visibly.
  void Press(QAbstractButton* button);
  // Opens `item`'s menu of `bar`, rests on the item and closes the menu again.
  void ShowMenuItem(QMenuBar* bar, QAction* item);
  // ShowMenuItem, then triggers the item.
  void ChooseMenuItem(QMenuBar* bar, QAction* item);
  void End();

 private:
  void Print(const QString& line);
  double Seconds() const;

  QString goFile_;
  QElapsedTimer clock_;
};

}  // namespace melo
