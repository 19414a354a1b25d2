#pragma once

#include "base/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace melo {

// Message boxes for the programs with windows: messages carry the program's
// title as their caption, questions the caption they are given, and both sit on
// top of the window that asked.
class MessageBoxDialogs : public Dialogs {
 public:
  explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  // "Нет" is the default button: a question here always precedes deleting something.
  bool AskYesNo(const QString& caption, const QString& question) override;

 private:
  QPointer<QWidget> parent_;
};

// Makes numbers and dates Russian ("0,003", "07.12.2026") whatever the system's
// locale, and loads Qt's own Russian texts (the buttons of message boxes and file
// dialogs), so no English word shows in a Russian window. False when those texts
// are not installed.
bool InstallRussianQtTexts();

}  // namespace melo
