#pragma once

#include <QString>
#include <cstdint>

namespace melo {

// Moves the slot subdirectories workDir/0 ... workDir/(slotCount - 1), with whatever a
// failed worker left in them, to the trash. An empty workDir does nothing: the
// numbered folders must never be looked for at the root.
void ClearWorkDirectory(const QString& workDir, int32_t slotCount);

}  // namespace melo
