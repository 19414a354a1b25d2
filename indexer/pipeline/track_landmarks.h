#pragma once

#include "indexer/database/landmark_record.h"

#include <cstdint>
#include <span>

namespace melo {

// The landmarks the indexer stores for a track's samples (48 kHz mono), with the
// track settings, in their stored form. Indexing and the adding of landmarks to
// stored rows both make them here.
LandmarkRecord TrackLandmarks(std::span<const int16_t> samples);

}  // namespace melo
