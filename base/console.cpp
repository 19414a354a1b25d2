#include "base/console.h"

namespace melo {

void WriteText(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
  std::fflush(stream);
}

void WriteErrorLine(const QString& text) { WriteText(stderr, text + QLatin1Char('\n')); }

}  // namespace melo
