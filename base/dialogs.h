#pragma once

#include <QString>

namespace melo {

// The one way the libraries tell the user something or ask a yes/no question.
// The programs show message boxes; the command-line tools write to stderr; tests
// record what was said.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void ShowMessage(const QString& text) = 0;
  virtual bool AskYesNo(const QString& caption, const QString& question) = 0;
};

// Messages to stderr; questions are answered with a fixed answer, since a command
// was asked for on purpose.
class StderrDialogs : public Dialogs {
 public:
  explicit StderrDialogs(bool answer = true) : answer_(answer) {}
  void ShowMessage(const QString& text) override;
  bool AskYesNo(const QString& caption, const QString& question) override;

 private:
  bool answer_;
};

}  // namespace melo
