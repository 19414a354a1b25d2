#pragma once

#include "indexer/database/record_store.h"

#include <cstdint>

namespace melo {

// Holds the record store's lock for `owner` until the end of the scope, however it
// ends.
class DatabaseLock {
 public:
  DatabaseLock(TDataModule1& store, int32_t owner) : store_(store) { store_.LockDatabase(owner); }
  ~DatabaseLock() { store_.UnlockDatabase(); }
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

 private:
  TDataModule1& store_;
};

}  // namespace melo
