#include "base/path_utils.h"

namespace melo {

namespace {

bool IsSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

qsizetype LastSeparator(const QString& path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    if (IsSeparator(path[i])) return i;
  }
  return -1;
}

}  // namespace

QString ExtractDirPart(const QString& path) {
  const qsizetype at = LastSeparator(path);
  return at < 0 ? QString() : path.left(at);
}

QString ExtractNamePart(const QString& path) {
  const qsizetype at = LastSeparator(path);
  return at < 0 ? path : path.mid(at + 1);
}

QString StripExtension(const QString& path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    if (IsSeparator(path[i])) break;
    if (path[i] == QLatin1Char('.')) return path.left(i);
  }
  return path;
}

QString ExtractExtension(const QString& path) {
  const qsizetype at = path.lastIndexOf(QLatin1Char('.'));
  return at < 0 ? QString() : path.mid(at);
}

QString EnsureExtension(const QString& path, const QString& extension) {
  return path.right(extension.size()).toLower() == extension ? path : path + extension;
}

QString JoinPath(const QString& dir, const QString& name) {
  if (!dir.isEmpty() && IsSeparator(dir.back())) return dir + name;
  return dir + QLatin1Char('/') + name;
}

}  // namespace melo
