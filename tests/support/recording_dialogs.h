#pragma once

#include "base/dialogs.h"

#include <QStringList>

namespace melo::testing {

// Remembers every message and question; questions get the answer set beforehand.
class RecordingDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& text) override { messages.append(text); }
  bool AskYesNo(const QString& caption, const QString& question) override {
    questions.append(caption + QLatin1String(": ") + question);
    return answer;
  }

  QStringList messages;
  QStringList questions;
  bool answer = true;
};

}  // namespace melo::testing
