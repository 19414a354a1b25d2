#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace melo::testing {

// Makes a file or folder unwritable for this process until the end of the scope.
// Root writes whatever the permission bits say, so for root the immutable
// attribute does it (which binds root too, where the file system has it); for
// anyone else the permission bits. Made() is false where neither worked.
class ReadOnlyPath {
 public:
  explicit ReadOnlyPath(const QString& path) : path_(path), permissions_(QFile::permissions(path)) {
    if (::geteuid() == 0) {
      immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
      made_ = immutable_;
    } else {
      made_ = QFile::setPermissions(path_, permissions_ & ~(QFile::WriteOwner | QFile::WriteUser |
                                                            QFile::WriteGroup | QFile::WriteOther));
    }
  }
  ~ReadOnlyPath() {
    if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    QFile::setPermissions(path_, permissions_);
  }
  ReadOnlyPath(const ReadOnlyPath&) = delete;
  ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;

  bool Made() const { return made_; }

 private:
  QString path_;
  QFile::Permissions permissions_;
  bool immutable_ = false;
  bool made_ = false;
};

}  // namespace melo::testing
