#include "base/dialogs.h"

#include "base/console.h"

namespace melo {

void StderrDialogs::ShowMessage(const QString& text) { WriteErrorLine(text); }

bool StderrDialogs::AskYesNo(const QString& caption, const QString& question) {
  WriteErrorLine(caption + QStringLiteral(": ") + question + (answer_ ? QStringLiteral(" yes") : QStringLiteral(" no")));
  return answer_;
}

}  // namespace melo
