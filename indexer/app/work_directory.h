#pragma once

#include <QString>
#include <cstdint>

namespace melo {

class FileLock;

// The work directory is taken by one indexing run at a time: a run holds a lock
// on the file WorkDir/.melobank.lock for its whole life, so that two runs (a
// window and a command line, two command lines) never decode into the same
// numbered folders or clear each other's.
QString WorkDirectoryLockFile(const QString& workDir);

// The work directory until the user names another: "Melobank/work" in the user's
// cache folder (~/.cache), which an indexing run makes on first use, so that a
// first run needs no setting.
QString DefaultWorkDirectory();

// Takes the work directory for a run; false when another run holds it.
bool LockWorkDirectory(const QString& workDir, FileLock& lock);

// Removes the slot folders workDir/0 ... workDir/(slotCount - 1) that the indexer
// made (see work_subfolder.h), with whatever a failed worker left in them; folders
// it did not make stay. Nothing is touched while another run holds the directory:
// false then. A caller that holds the directory itself passes its lock. An empty
// workDir does nothing: the numbered folders must never be looked for at the root.
bool ClearWorkDirectory(const QString& workDir, int32_t slotCount, const FileLock* held = nullptr);

}  // namespace melo
