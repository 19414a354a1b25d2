#include "indexer/pipeline/file_hashes.h"

#include <QCryptographicHash>
#include <QFile>

namespace melo {

FileDigests HashFile(const QString& path) {
  FileDigests digests;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return digests;
  QCryptographicHash sha2(QCryptographicHash::Sha256);
  QCryptographicHash md5(QCryptographicHash::Md5);
  QByteArray chunk(1 << 20, Qt::Uninitialized);
  for (;;) {
    const qint64 n = file.read(chunk.data(), chunk.size());
    if (n < 0) return digests;
    if (n == 0) break;
    sha2.addData(QByteArrayView(chunk.constData(), n));
    md5.addData(QByteArrayView(chunk.constData(), n));
  }
  digests.complete = true;
  digests.sha2 = QString::fromLatin1(sha2.result().toHex());
  digests.md5 = QString::fromLatin1(md5.result().toHex());
  return digests;
}

}  // namespace melo
