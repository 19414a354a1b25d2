#pragma once

#include "landmarks/peak_pairs.h"
#include "trackdb/landmark_row.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// The landmarks the database file holds for one track. The index keeps them only
// inverted, by hash, so a window that wants a track's own reads its row again.
struct StoredTrackLandmarks {
  bool readable = false;  // the file could be read
  StoredLandmarks state = StoredLandmarks::Missing;
  int32_t frames = 0;
  std::vector<landmarks::Landmark> landmarks;  // in order of frame

  static StoredTrackLandmarks Read(const QString& databasePath, int32_t rowId);
  bool Usable() const { return readable && state == StoredLandmarks::Read; }
  // Why there are none, in the user's words; empty when there are.
  QString Problem() const;
  // The landmarks anchored in frames [from, to).
  std::span<const landmarks::Landmark> Between(int32_t from, int32_t to) const;
};

// A query landmark and where, if anywhere, the track holds its twin when the
// query's frame 0 lies at the track's frame `offset`.
struct AlignedLandmark {
  landmarks::Landmark query;
  int32_t storedFrame = -1;  // -1: no twin
};

struct LandmarkAlignment {
  int32_t offset = 0;
  std::vector<AlignedLandmark> landmarks;
  int32_t matched = 0;
  int32_t storedInSpan = 0;  // the track's landmarks under the query
  int32_t storedMet = 0;     // of those, the ones some query landmark meets
};

// A twin is a stored landmark of the same hash, or of the hash one frame shorter
// or longer, anchored within a frame of the aligned frame: what a search's
// look-ups meet (landmarks::WithFrameNeighbours, LandmarkIndex::Matching).
LandmarkAlignment AlignLandmarks(std::span<const landmarks::Landmark> query, int32_t queryFrames,
                                 const StoredTrackLandmarks& track, int32_t offset);

// "Кадр", "Время, с", "Опорная, Гц", "Вторая, Гц", "Через, мс", "Хэш" of each
// landmark; with an alignment also "В треке", those with a twin first.
QList<QStringList> LandmarkRows(std::span<const landmarks::Landmark> landmarks);
QList<QStringList> AlignmentRows(const LandmarkAlignment& alignment);

}  // namespace melo
