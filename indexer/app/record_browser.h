#pragma once

#include "fingerprint/index_record.h"
#include "trackdb/landmark_row.h"
#include "trackdb/track_info.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace melo {

class TDataModule1;

// What the record browser shows: every row by source file name, and the selected
// row's fields and fingerprint, drawn as an envelope (peak amplitude over the
// track) and a picture of the eight band bytes, a window's width at a time, and
// its landmarks as the peaks they pair over the same stretch of the track.
class RecordBrowser {
 public:
  explicit RecordBrowser(TDataModule1& store) : store_(store) {}

  // Reads the list of rows under the database lock.
  bool Reload();
  const QStringList& Names() const { return names_; }
  int32_t RowId(qsizetype index) const;
  // "Список записей: N", and a word on a list that could not be read, which would
  // otherwise pass for an empty database.
  QString ListCaption() const;

  // Reads row `index` of the list, its fingerprint and its landmarks under the
  // database lock. The fields, records and landmarks start empty, so a row that
  // failed to read or was deleted meanwhile shows empty fields and no fingerprint.
  void Load(qsizetype index);
  const TrackInfo& Info() const { return info_; }
  const RowLandmarks& Landmarks() const { return landmarks_; }
  int32_t RecordCount() const { return static_cast<int32_t>(records_.size() / IndexRecord::kSize); }
  int32_t ScrollMaximum() const { return RecordCount() > 0 ? RecordCount() - 1 : 0; }

  // How many records a chart `width` pixels wide shows: 20 pixels each after a
  // 100-pixel margin; none below 120 pixels.
  static int32_t ShownRecords(int width);

  // Points (sample position of the peak, its magnitude) of the records from
  // `position` on. The last record of the track is never drawn.
  QList<QPointF> EnvelopePoints(int32_t position, int width) const;
  // ShownRecords(width) pixels wide and 8 high: pixel (i, b) has band byte b of
  // record position + i as its red component; black where nothing is drawn.
  QImage BandPicture(int32_t position, int width) const;

  // The peaks of the landmarks whose first peak (the anchor) lies in the stretch
  // the envelope shows from `position` at `width`: points (seconds into the track,
  // Hz), the anchors and their partners at the same places of the two lists.
  struct Peaks {
    QList<QPointF> anchors;
    QList<QPointF> partners;
  };
  Peaks LandmarkPeaks(int32_t position, int width) const;
  // The stretch the envelope shows, in seconds into the track.
  static QPointF ShownSeconds(int32_t position, int width);

 private:
  // The records drawn from `position` on at `width`.
  int32_t DrawnRecords(int32_t position, int width) const;

  TDataModule1& store_;
  QStringList names_;
  QStringList ids_;
  bool listRead_ = true;
  TrackInfo info_;
  std::vector<uint8_t> records_;
  RowLandmarks landmarks_;
};

}  // namespace melo
