#include "fingerprint/index_record.h"

#include "fingerprint/sample_buffer.h"

#include <cstring>

namespace melo {

IndexRecord IndexRecord::Decode(const uint8_t* b) noexcept {
  IndexRecord r;
  r.position = static_cast<uint16_t>(b[0] | (b[1] << 8));
  r.amplitude = static_cast<uint16_t>(b[2] | (b[3] << 8));
  std::memcpy(r.bands.data(), b + 4, kBands);
  return r;
}

void IndexRecord::Encode(uint8_t* b) const noexcept {
  b[0] = static_cast<uint8_t>(position & 0xFF);
  b[1] = static_cast<uint8_t>(position >> 8);
  b[2] = static_cast<uint8_t>(amplitude & 0xFF);
  b[3] = static_cast<uint8_t>(amplitude >> 8);
  std::memcpy(b + 4, bands.data(), kBands);
}

int64_t IndexDataView::PeakSample(int32_t w) const noexcept {
  return int64_t{kHalfSecond} * w + (*this)[w].position;
}

}  // namespace melo
