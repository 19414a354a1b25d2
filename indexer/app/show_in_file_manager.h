#pragma once

#include <QString>

namespace melo {

// Shows a file in the desktop's file manager: selected in its folder where the
// file manager offers the freedesktop FileManager1 service over D-Bus, else its
// folder opened by the desktop. False when neither could be asked.
bool ShowInFileManager(const QString& path);

}  // namespace melo
