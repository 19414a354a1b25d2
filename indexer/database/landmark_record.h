#pragma once

#include "trackdb/landmark_row.h"

#include <cstdint>
#include <span>
#include <vector>

namespace melo {

namespace landmarks {
struct LandmarkSet;
}

// A track's landmarks as the record store writes them into table Landmarks: the
// stored form (landmarks/landmark_blob.h), how many landmarks it holds and the
// frames of the track. The store always writes them as landmarks::kLandmarkVersion.
struct LandmarkRecord {
  int32_t frames = 0;
  int32_t count = 0;
  std::vector<uint8_t> data;

  bool operator==(const LandmarkRecord&) const = default;
};

// What the extractor found in a track, in its stored form.
LandmarkRecord MakeLandmarkRecord(const landmarks::LandmarkSet& set);

// A row's landmarks read back (ReadRowLandmarks) in the form they are written in;
// only landmarks in the state Read can be.
LandmarkRecord MakeLandmarkRecord(const RowLandmarks& row);

}  // namespace melo
