#include "searcher/app/stored_landmarks.h"

#include "searcher/app/debug_texts.h"
#include "searcher/app/landmark_geometry.h"
#include "trackdb/sqlite_handles.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

StoredTrackLandmarks StoredTrackLandmarks::Read(const QString& databasePath, int32_t rowId) {
  StoredTrackLandmarks stored;
  const ReadOnlyDatabase db(databasePath);
  RowLandmarks row;
  stored.readable = db.get() && ReadRowLandmarks(db.get(), rowId, row);
  if (!stored.readable) return stored;
  stored.state = row.state;
  stored.frames = row.frames;
  stored.landmarks = std::move(row.landmarks);
  return stored;
}

QString StoredTrackLandmarks::Problem() const {
  if (!readable) return QStringLiteral("Файл базы данных не читается.");
  switch (state) {
    case StoredLandmarks::Missing: return QStringLiteral("В базе данных нет ориентиров этого трека.");
    case StoredLandmarks::OtherVersion:
      return QStringLiteral("Ориентиры трека сделаны другой версией анализа и ни с чем не совпадут.");
    case StoredLandmarks::Damaged: return QStringLiteral("Ориентиры трека в базе данных повреждены.");
    case StoredLandmarks::Read: return {};
  }
  return {};
}

std::span<const landmarks::Landmark> StoredTrackLandmarks::Between(int32_t from, int32_t to) const {
  const auto byFrame = [](const landmarks::Landmark& l, int32_t f) { return l.frame < f; };
  const auto first = std::lower_bound(landmarks.begin(), landmarks.end(), from, byFrame);
  const auto last = std::lower_bound(first, landmarks.end(), std::max(from, to), byFrame);
  return {first, last};
}

namespace {

bool Twins(const landmarks::Landmark& stored, const landmarks::Landmark& query, int32_t offset) {
  const bool sameShape = (stored.hash & ~landmarks::kFrameDeltaMask) == (query.hash & ~landmarks::kFrameDeltaMask);
  return sameShape && std::abs(FrameDelta(stored.hash) - FrameDelta(query.hash)) <= 1 &&
         std::abs(stored.frame - (query.frame + offset)) <= 1;
}

}  // namespace

LandmarkAlignment AlignLandmarks(std::span<const landmarks::Landmark> query, int32_t queryFrames,
                                 const StoredTrackLandmarks& track, int32_t offset) {
  LandmarkAlignment alignment;
  alignment.offset = offset;
  const auto span = track.Between(offset, offset + queryFrames);
  alignment.storedInSpan = static_cast<int32_t>(span.size());
  std::vector<bool> met(span.size(), false);
  for (const landmarks::Landmark& q : query) {
    AlignedLandmark aligned{q, -1};
    const int32_t frame = q.frame + offset;
    for (const landmarks::Landmark& s : track.Between(frame - 1, frame + 2)) {
      if (!Twins(s, q, offset)) continue;
      if (aligned.storedFrame < 0) aligned.storedFrame = s.frame;
      if (&s >= span.data() && &s < span.data() + span.size()) met[static_cast<size_t>(&s - span.data())] = true;
    }
    alignment.matched += aligned.storedFrame >= 0 ? 1 : 0;
    alignment.landmarks.push_back(aligned);
  }
  alignment.storedMet = static_cast<int32_t>(std::count(met.begin(), met.end(), true));
  return alignment;
}

namespace {

QStringList LandmarkRow(const landmarks::Landmark& l) {
  return {QString::number(l.frame),
          Decimal(FrameSeconds(l.frame), 3),
          Decimal(BinHz(AnchorBin(l.hash)), 1),
          Decimal(BinHz(PartnerBin(l.hash)), 1),
          Decimal(FrameSeconds(FrameDelta(l.hash)) * 1000, 0),
          QString::number(l.hash)};
}

}  // namespace

QList<QStringList> LandmarkRows(std::span<const landmarks::Landmark> landmarks) {
  QList<QStringList> rows;
  for (const landmarks::Landmark& l : landmarks) rows.append(LandmarkRow(l));
  return rows;
}

QList<QStringList> AlignmentRows(const LandmarkAlignment& alignment) {
  QList<QStringList> met, unmet;
  for (const AlignedLandmark& a : alignment.landmarks) {
    QStringList row = LandmarkRow(a.query);
    row.append(a.storedFrame >= 0 ? QStringLiteral("да, кадр %1").arg(a.storedFrame) : QStringLiteral("нет"));
    (a.storedFrame >= 0 ? met : unmet).append(row);
  }
  return met + unmet;
}

}  // namespace melo
