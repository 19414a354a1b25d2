#pragma once

#include <QString>

namespace melo {

struct FileDigests {
  bool complete = false;  // false when the file could not be read to its end
  QString sha2;           // lower-case hex; empty when nothing could be read
  QString md5;
};

// SHA-256 and MD5 of a file from a single read of it.
FileDigests HashFile(const QString& path);

}  // namespace melo
