#include "gui/picture_file.h"

#include "base/path_utils.h"

#include <QFileInfo>
#include <QImageReader>

namespace melo {

namespace {

// The decoder for each extension; the file's content does not choose it, so a
// .jpg holding a PNG fails like it would in any viewer that trusts the name.
QByteArray DecoderFor(const QString& extension) {
  if (extension == QLatin1String(".png")) return "png";
  if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg")) return "jpeg";
  if (extension == QLatin1String(".gif")) return "gif";
  if (extension == QLatin1String(".bmp")) return "bmp";
  return {};
}

}  // namespace

bool LoadPictureFile(QImage& image, const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  const QByteArray decoder = DecoderFor(ExtractExtension(path).toLower());
  if (decoder.isEmpty()) return false;
  QImageReader reader(path, decoder);
  reader.setDecideFormatFromContent(false);
  QImage decoded = reader.read();
  if (decoded.isNull()) return false;
  if (decoder == "gif") decoded = decoded.convertToFormat(QImage::Format_RGB888);
  image = std::move(decoded);
  return true;
}

}  // namespace melo
