#include "indexer/app/record_browser.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "indexer/database/database_lock.h"
#include "indexer/database/record_store.h"
#include "landmarks/landmark_settings.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

constexpr int kMinimumWidth = 120;
constexpr int kMargin = 100;
constexpr int kPixelsPerRecord = 20;

}  // namespace

bool RecordBrowser::Reload() {
  DatabaseLock lock(store_, TDataModule1::kSharedOwner);
  listRead_ = store_.ListRecords(names_, ids_);
  return listRead_;
}

int32_t RecordBrowser::RowId(qsizetype index) const {
  return index >= 0 && index < ids_.size() ? ids_[index].toInt() : 0;
}

QString RecordBrowser::ListCaption() const {
  const QString caption = QStringLiteral("Список записей: %1").arg(names_.size());
  return listRead_ ? caption : caption + QStringLiteral(" (база данных не читается)");
}

void RecordBrowser::Load(qsizetype index) {
  info_ = TrackInfo{};
  records_.clear();
  landmarks_ = RowLandmarks{};
  if (names_.isEmpty()) return;
  DatabaseLock lock(store_, TDataModule1::kSharedOwner);
  store_.GetRecord(RowId(index), info_, records_);
  // Only a row that is there has landmarks to show.
  if (info_.id == RowId(index) && store_.Connection()) {
    ReadRowLandmarks(store_.Connection()->getHandle(), info_.id, landmarks_);
  }
}

QPointF RecordBrowser::ShownSeconds(int32_t position, int width) {
  constexpr double kRecordSeconds = static_cast<double>(IndexRecord::kSamples) / kSampleRate;
  return {position * kRecordSeconds, (position + std::max(1, ShownRecords(width))) * kRecordSeconds};
}

RecordBrowser::Peaks RecordBrowser::LandmarkPeaks(int32_t position, int width) const {
  using namespace landmarks;
  constexpr double kFrameSeconds = static_cast<double>(kInputSamplesPerHop) / kInputRate;
  constexpr double kBinHz = static_cast<double>(kAnalysisRate) / kFrameSize;
  Peaks peaks;
  if (ShownRecords(width) == 0 || position < 0) return peaks;
  const QPointF shown = ShownSeconds(position, width);
  for (const Landmark& l : landmarks_.landmarks) {
    const double seconds = l.frame * kFrameSeconds;
    if (seconds < shown.x()) continue;
    if (seconds >= shown.y()) break;  // in order of anchor frame
    // The hash keeps the pair's shape (see peak_pairs.h): anchor bin in steps of
    // two, the partner's bin and frame relative to it.
    const int32_t anchorBin = kLowestBin + 2 * static_cast<int32_t>(l.hash >> 13);
    const int32_t partnerBin = anchorBin + static_cast<int32_t>((l.hash >> 5) & 255) - 128;
    const int32_t partnerFrame = l.frame + static_cast<int32_t>(l.hash & kFrameDeltaMask) + 1;
    peaks.anchors.append(QPointF(seconds, anchorBin * kBinHz));
    peaks.partners.append(QPointF(partnerFrame * kFrameSeconds, partnerBin * kBinHz));
  }
  return peaks;
}

int32_t RecordBrowser::ShownRecords(int width) {
  return std::max(0, (width - kMargin) / kPixelsPerRecord);
}

int32_t RecordBrowser::DrawnRecords(int32_t position, int width) const {
  if (width < kMinimumWidth || position < 0) return 0;
  const int32_t beforeLast = std::max(0, RecordCount() - 1 - position);
  return std::min(ShownRecords(width), beforeLast);
}

QList<QPointF> RecordBrowser::EnvelopePoints(int32_t position, int width) const {
  const IndexDataView view(records_);
  QList<QPointF> points;
  const int32_t drawn = DrawnRecords(position, width);
  points.reserve(drawn);
  for (int32_t i = 0; i < drawn; ++i) {
    const int32_t r = position + i;
    const IndexRecord record = view[r];
    // The amplitude is the signed mean around the peak; its magnitude is the
    // loudness the searcher compares.
    const int magnitude = std::abs(static_cast<int>(static_cast<int16_t>(record.amplitude)));
    points.append(QPointF(static_cast<double>(r * IndexRecord::kSamples + record.position), magnitude));
  }
  return points;
}

QImage RecordBrowser::BandPicture(int32_t position, int width) const {
  const int32_t shown = ShownRecords(width);
  if (shown == 0) return {};
  QImage picture(shown, IndexRecord::kBands, QImage::Format_RGB32);
  picture.fill(Qt::black);
  const IndexDataView view(records_);
  const int32_t drawn = DrawnRecords(position, width);
  for (int32_t i = 0; i < drawn; ++i) {
    const IndexRecord record = view[position + i];
    for (int b = 0; b < IndexRecord::kBands; ++b) picture.setPixel(i, b, qRgb(record.bands[b], 0, 0));
  }
  return picture;
}

}  // namespace melo
