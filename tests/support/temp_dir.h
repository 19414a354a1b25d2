#pragma once

#include <QString>
#include <QTemporaryDir>

namespace melo::testing {

// A fresh folder removed with everything in it when the test ends.
class TempDir {
 public:
  QString Path(const QString& name = {}) const {
    return name.isEmpty() ? dir_.path() : dir_.filePath(name);
  }
  bool IsValid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace melo::testing
