#pragma once

#include <QStringList>

namespace melo::cli {

// melobank-cli fingerprint [--query] FILE
int RunFingerprintCommand(const QStringList& arguments);

}  // namespace melo::cli
