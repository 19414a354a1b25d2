#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace melo {

// The last 50 queries with their time stamps, for the history window to replay.
class QueryHistory {
 public:
  static constexpr int32_t kCapacity = 50;

  void Add(const QString& timeStamp, const std::vector<int16_t>& samples);
  // The first filled slot with exactly this time stamp, or -1.
  int32_t Find(const QString& timeStamp) const;
  const std::vector<int16_t>& Samples(int32_t slot) const { return slots_[slot].samples; }
  int32_t Filled() const { return filled_; }
  void Clear();

 private:
  struct Slot {
    QString timeStamp;
    std::vector<int16_t> samples;
  };
  std::array<Slot, kCapacity> slots_;
  int32_t filled_ = 0;
  int32_t next_ = 0;
};

}  // namespace melo
