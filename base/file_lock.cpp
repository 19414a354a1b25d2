#include "base/file_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace melo {

bool FileLock::TryLock(const QString& path, Mode mode) {
  heldElsewhere_ = false;
  if (Locked()) return path == path_;
  const QByteArray name = QFile::encodeName(path);
  int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // A lock file another user made can still be locked through a read-only handle.
  if (fd < 0 && errno == EACCES) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    heldElsewhere_ = errno == EWOULDBLOCK;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

void FileLock::Unlock() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
  path_.clear();
}

}  // namespace melo
