#include "cli/common/query_refusal.h"

#include "fingerprint/fingerprint_builder.h"

namespace melo::cli {

QString QueryRefusal(const int16_t* samples, int32_t count) {
  if (count <= 0) return QStringLiteral("the query holds no samples");
  FingerprintBuilder builder(1);
  const auto found = builder.FindQueryKeypoints(samples, count).size();
  if (found >= static_cast<size_t>(kMinQueryKeypoints)) return {};
  return QStringLiteral("the query yields %1 key points; at least %2 are needed").arg(found).arg(kMinQueryKeypoints);
}

}  // namespace melo::cli
