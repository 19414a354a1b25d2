#include "base/dialogs.h"

#include <cstdio>

namespace melo {

void StderrDialogs::ShowMessage(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

bool StderrDialogs::AskYesNo(const QString& caption, const QString& question) {
  std::fprintf(stderr, "%s: %s %s\n", caption.toUtf8().constData(), question.toUtf8().constData(),
               answer_ ? "yes" : "no");
  return answer_;
}

}  // namespace melo
