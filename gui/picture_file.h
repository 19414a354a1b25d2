#pragma once

#include <QImage>
#include <QString>

namespace melo {

// Loads a picture for display, choosing the decoder by the file's extension
// (compared in lower case): .png, .jpg/.jpeg, .gif (flattened to 24 bits) and .bmp.
// False, with `image` unchanged, for a missing file, any other extension, or a
// file its decoder cannot read.
bool LoadPictureFile(QImage& image, const QString& path);

}  // namespace melo
