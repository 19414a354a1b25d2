#pragma once

#include <QString>

namespace melo {

// An advisory lock (flock) on a lock file, held until Unlock() or destruction, and
// released by the system when the process ends in any way, so a killed program
// never leaves a folder locked. Two holders conflict also within one process. An
// exclusive lock has one holder; a shared one any number, while nobody holds the
// file exclusively. The lock file itself is left in place.
class FileLock {
 public:
  enum class Mode { Exclusive, Shared };

  FileLock() = default;
  ~FileLock() { Unlock(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the file when missing and takes the lock without waiting; false when
  // another holder has it or the file cannot be opened. True at once when this
  // object already holds it.
  bool TryLock(const QString& path, Mode mode = Mode::Exclusive);
  void Unlock();
  bool Locked() const { return fd_ >= 0; }
  const QString& Path() const { return path_; }
  // After a failed TryLock: true when another holder had the lock, false when the
  // lock file could not be opened or made.
  bool HeldElsewhere() const { return heldElsewhere_; }

 private:
  int fd_ = -1;
  QString path_;
  bool heldElsewhere_ = false;
};

}  // namespace melo
