#include "indexer/app/record_browser.h"

#include "fingerprint/index_record.h"
#include "indexer/database/database_lock.h"

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
  if (names_.isEmpty()) return;
  DatabaseLock lock(store_, TDataModule1::kSharedOwner);
  store_.GetRecord(RowId(index), info_, records_);
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
