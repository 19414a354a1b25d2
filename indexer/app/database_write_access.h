#pragma once

#include "indexer/database/record_store.h"

#include <QString>

namespace melo {

// What the user is told when rows (or their landmarks) cannot be written into the
// database at `databasePath`; empty when they can.
QString WriteRefusal(TDataModule1::WriteAccess access, const QString& databasePath);

}  // namespace melo
