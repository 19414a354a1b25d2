#include "indexer/database/landmark_record.h"

#include "landmarks/landmark_blob.h"
#include "landmarks/landmark_extractor.h"

namespace melo {

LandmarkRecord MakeLandmarkRecord(const landmarks::LandmarkSet& set) {
  return {set.frames, static_cast<int32_t>(set.landmarks.size()), landmarks::EncodeLandmarks(set.landmarks)};
}

LandmarkRecord MakeLandmarkRecord(const RowLandmarks& row) {
  return {row.frames, static_cast<int32_t>(row.landmarks.size()), landmarks::EncodeLandmarks(row.landmarks)};
}

}  // namespace melo
