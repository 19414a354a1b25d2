#include "base/console.h"

#include "base/text_format.h"

namespace melo {

void WriteText(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
  std::fflush(stream);
}

void WriteErrorLine(const QString& text) { WriteText(stderr, EscapeControls(text, true) + QLatin1Char('\n')); }

}  // namespace melo
