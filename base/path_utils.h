#pragma once

#include <QString>

namespace melo {

// Path texts are taken apart at either separator, '\' or '/'; paths are composed
// with '/'.

// The text before the last separator; empty when there is none.
QString ExtractDirPart(const QString& path);
// The text after the last separator; the whole path when there is none.
QString ExtractNamePart(const QString& path);
// The path without its extension: scanning back from the end, the text before the
// first '.' met; the whole path when a separator comes first or there is no dot.
QString StripExtension(const QString& path);
// From the last '.' of the whole text to the end, dot included; empty without a dot.
// The scan does not stop at a separator: "a.b/c" gives ".b/c".
QString ExtractExtension(const QString& path);
// The path unchanged when it already ends in `extension` (compared in lower case),
// otherwise the path with `extension` appended.
QString EnsureExtension(const QString& path, const QString& extension);
// dir + '/' + name (no second separator when dir already ends in one).
QString JoinPath(const QString& dir, const QString& name);

}  // namespace melo
