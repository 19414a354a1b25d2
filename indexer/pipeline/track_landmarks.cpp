#include "indexer/pipeline/track_landmarks.h"

#include "landmarks/landmark_extractor.h"
#include "landmarks/landmark_settings.h"

namespace melo {

LandmarkRecord TrackLandmarks(std::span<const int16_t> samples) {
  // Made for each track: its buffers (some 20 MB) are not kept between tracks.
  landmarks::LandmarkExtractor extractor(landmarks::kTrackSettings);
  return MakeLandmarkRecord(extractor.Extract(samples));
}

}  // namespace melo
