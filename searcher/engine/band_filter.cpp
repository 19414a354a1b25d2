#include "searcher/engine/band_filter.h"

#include "fingerprint/index_record.h"
#include "searcher/engine/search_index.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace melo {

namespace {

constexpr int32_t kFilteredBands = 7;

inline bool HasPeak(const uint8_t* record) { return (record[2] | record[3]) != 0; }
inline const uint8_t* Bands(const uint8_t* record) { return record + 4; }

int32_t FilteredBand(int32_t i) {
  return i < 4 ? BandFilter::kKeyBands[static_cast<size_t>(i)] : BandFilter::kExtraBands[static_cast<size_t>(i - 4)];
}

// Cells of equal share: value v goes to the cell its middle quantile falls in, so
// the cells never decrease with v and each holds about a sixteenth of the bytes.
std::array<uint8_t, 256> QuantileCells(const std::array<int64_t, 256>& counts) {
  int64_t total = 0;
  for (const int64_t c : counts) total += c;
  std::array<uint8_t, 256> cells{};
  int64_t below = 0;
  for (int32_t v = 0; v < 256; ++v) {
    const int64_t middle = 2 * below + counts[v];  // twice the middle rank
    cells[v] = static_cast<uint8_t>(
        std::min<int64_t>(BandFilter::kCells - 1, total > 0 ? middle * BandFilter::kCells / (2 * total) : 0));
    below += counts[v];
  }
  return cells;
}

}  // namespace

inline int32_t BandFilter::Bucket(const uint8_t* bands) const {
  return ((cellOf_[0][bands[kKeyBands[0]]] * kCells + cellOf_[1][bands[kKeyBands[1]]]) * kCells +
          cellOf_[2][bands[kKeyBands[2]]]) *
             kCells +
         cellOf_[3][bands[kKeyBands[3]]];
}

inline uint32_t BandFilter::ExtraCells(const uint8_t* bands) const {
  return (uint32_t{cellOf_[4][bands[kExtraBands[0]]]} * kCells + cellOf_[5][bands[kExtraBands[1]]]) * kCells +
         cellOf_[6][bands[kExtraBands[2]]];
}

BandFilter::Builder::Builder(int32_t tracks) : filter_(std::make_unique<BandFilter>()), capacity_(tracks) {
  // Reserved once: the sorting thread reads spans while Add appends new ones.
  filter_->spans_.reserve(static_cast<size_t>(tracks) + 1);
  filter_->spans_.push_back({});  // the end of the tracks so far
  sorter_ = std::thread([this] { Sort(); });
}

BandFilter::Builder::~Builder() {
  {
    std::lock_guard guard(lock_);
    closing_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
  if (sorter_.joinable()) sorter_.join();
}

void BandFilter::Builder::Add(const TrackIndex& track) {
  auto& spans = filter_->spans_;
  if (static_cast<int32_t>(spans.size()) > capacity_) {
    overflowed_ = true;  // more tracks than announced: Finish gives up
    return;
  }
  if (track.loaded) {
    spans.back().records = track.records.data();
    frames_ += static_cast<uint64_t>(track.count);
  }
  spans.push_back({static_cast<uint32_t>(std::min<uint64_t>(frames_, std::numeric_limits<uint32_t>::max()))});
  if (frames_ >= std::numeric_limits<uint32_t>::max()) return;  // Finish gives up
  // Every chunk whose frames have all arrived.
  while ((uint64_t{static_cast<uint32_t>(chunksGiven_)} + 1) << kChunkShift <= frames_) {
    Give({chunksGiven_++, frames_, spans.size()});
  }
}

void BandFilter::Builder::Give(const Job& job) {
  {
    std::lock_guard guard(lock_);
    jobs_.push_back(job);
  }
  wake_.notify_one();
}

void BandFilter::Builder::Sort() {
  for (;;) {
    Job job{};
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return closing_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = jobs_.front();
      jobs_.pop_front();
    }
    if (job.chunk == 0) filter_->SetCells(job.frames);
    filter_->FillChunk(job.chunk, job.frames, job.spans, scratch_);
  }
}

std::unique_ptr<BandFilter> BandFilter::Builder::Finish() {
  const bool usable = frames_ > 0 && frames_ < std::numeric_limits<uint32_t>::max() && !overflowed_;
  if (usable) {
    const auto chunks = static_cast<int32_t>(((frames_ - 1) >> kChunkShift) + 1);
    while (chunksGiven_ < chunks) Give({chunksGiven_++, frames_, filter_->spans_.size()});
  }
  {
    std::lock_guard guard(lock_);
    closing_ = true;  // the thread ends once the jobs are done
  }
  wake_.notify_one();
  sorter_.join();
  std::unique_ptr<BandFilter> filter = std::move(filter_);
  if (!usable || filter->entries_ == 0) return nullptr;
  auto& all = filter->allChunksStart_;
  for (int32_t k = 0; k < kBuckets; ++k) all[k + 1] += all[k];

  // Which track each block of 512 frame numbers starts in; tracks without frames
  // are passed over.
  const auto& spans = filter->spans_;
  const auto tracks = static_cast<int32_t>(spans.size()) - 1;
  auto& blocks = filter->blockTrack_;
  blocks.resize((frames_ >> kBlockShift) + 1);
  int32_t t = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    const uint64_t number = uint64_t{b} << kBlockShift;
    while (t + 1 < tracks && spans[t + 1].first <= number) ++t;
    blocks[b] = t;
  }
  return filter;
}

std::unique_ptr<BandFilter> BandFilter::Build(const std::vector<TrackIndex>& tracks) {
  Builder builder(static_cast<int32_t>(tracks.size()));
  for (const TrackIndex& track : tracks) builder.Add(track);
  return builder.Finish();
}

void BandFilter::SetCells(uint64_t frames) {
  // About a million frames with a peak show the bytes' spread well enough; the
  // cells only balance the buckets.
  const uint64_t stride = std::max<uint64_t>(1, frames >> 20);
  std::array<std::array<int64_t, 256>, kFilteredBands> counts{};
  size_t t = 0;
  for (uint64_t number = 0; number < frames; number += stride) {
    // spans_[t + 1] exists: the tracks added so far hold `frames` frames.
    while (spans_[t + 1].first <= number) ++t;
    const uint8_t* r = spans_[t].records + IndexRecord::kSize * (number - spans_[t].first);
    if (!HasPeak(r)) continue;
    for (int32_t b = 0; b < kFilteredBands; ++b) ++counts[b][Bands(r)[FilteredBand(b)]];
  }
  for (int32_t b = 0; b < kFilteredBands; ++b) {
    cellOf_[b] = QuantileCells(counts[b]);
    cellLow_[b].fill(255);  // a cell no value falls in holds no entry
    for (int32_t v = 255; v >= 0; --v) cellLow_[b][cellOf_[b][v]] = static_cast<uint8_t>(v);
    for (int32_t v = 0; v < 256; ++v) cellHigh_[b][cellOf_[b][v]] = static_cast<uint8_t>(v);
  }
}

void BandFilter::FillChunk(int32_t chunk, uint64_t frames, size_t spanCount, SortScratch& scratch) {
  const uint32_t chunkFirst = static_cast<uint32_t>(chunk) << kChunkShift;
  const auto chunkEnd = static_cast<uint32_t>(std::min<uint64_t>(frames, uint64_t{chunkFirst} + kInChunk + 1));
  // Add may append spans meanwhile: only the first `spanCount`, there when the
  // chunk was given, are looked at.
  const TrackSpan* known = spans_.data();
  const auto firstTrack = static_cast<size_t>(
      std::upper_bound(known, known + spanCount - 1, chunkFirst,
                       [](uint32_t number, const TrackSpan& span) { return number < span.first; }) -
      known - 1);
  // Calls visit(track, number, record) for the chunk's frames, in number order.
  auto forEachFrame = [&](auto&& visit) {
    for (size_t t = firstTrack; t + 1 < spanCount && spans_[t].first < chunkEnd; ++t) {
      const TrackSpan& span = spans_[t];
      const uint32_t end = std::min(spans_[t + 1].first, chunkEnd);
      for (uint32_t number = std::max(span.first, chunkFirst); number < end; ++number) {
        visit(t, number, span.records + IndexRecord::kSize * (number - span.first));
      }
    }
  };

  // A counting sort by bucket: counts (and the tracks' totals), then the entries in
  // number order, so that each bucket's numbers ascend.
  Chunk& c = chunks_.emplace_back();
  c.bucketStart.assign(kBuckets + 1, 0);
  forEachFrame([&](size_t t, uint32_t number, const uint8_t* r) {
    TrackSpan& span = spans_[t];
    if (!HasPeak(r)) {
      const uint32_t fromEnd = spans_[t + 1].first - 1 - number;
      if (fromEnd < kTailFrames) span.tailSilent |= 1u << fromEnd;
      return;
    }
    ++span.withPeak;
    ++c.bucketStart[Bucket(Bands(r)) + 1];
  });
  if (allChunksStart_.empty()) allChunksStart_.assign(kBuckets + 1, 0);
  for (int32_t k = 0; k < kBuckets; ++k) {
    allChunksStart_[k + 1] += c.bucketStart[k + 1];
    c.bucketStart[k + 1] += c.bucketStart[k];
  }
  c.entries.resize(c.bucketStart.back());

  // Two stable passes of 256 ways each rather than one of 65,536, which missed the
  // caches on nearly every write: by the bucket's high byte into the scratch, then
  // each high byte's run (a few thousand entries, in the caches) by the low byte
  // into place.
  scratch.byHighByte.resize(c.entries.size());
  std::array<uint32_t, 256> nextHigh{};
  for (int32_t h = 0; h < 256; ++h) nextHigh[h] = c.bucketStart[h * 256];
  forEachFrame([&](size_t, uint32_t number, const uint8_t* r) {
    if (!HasPeak(r)) return;
    const auto bucket = static_cast<uint32_t>(Bucket(Bands(r)));
    const uint32_t extra = ExtraCells(Bands(r));
    scratch.byHighByte[nextHigh[bucket >> 8]++] = uint64_t{bucket} << 32 | extra << kChunkShift | (number & kInChunk);
    ++extraCount_[extra];
  });
  scratch.next.assign(c.bucketStart.begin(), c.bucketStart.end() - 1);
  for (const uint64_t e : scratch.byHighByte) c.entries[scratch.next[e >> 32]++] = static_cast<uint32_t>(e);
  entries_ += static_cast<int64_t>(c.entries.size());
}

BandFilter::Probe BandFilter::ProbeFor(const uint8_t* bands, int32_t band, int32_t sum) const {
  std::array<int32_t, kFilteredBands> low{}, high{};
  std::array<std::array<uint8_t, kCells>, kFilteredBands> distance{};
  for (int32_t i = 0; i < kFilteredBands; ++i) {
    const int32_t v = bands[FilteredBand(i)];
    low[i] = cellOf_[i][std::max(0, v - band)];
    high[i] = cellOf_[i][std::min(255, v + band)];
    for (int32_t c = low[i]; c <= high[i]; ++c) {
      const int32_t below = cellLow_[i][c] - v, above = v - cellHigh_[i][c];
      distance[i][c] = static_cast<uint8_t>(std::clamp(std::max(below, above), 0, kFar - 1));
    }
  }
  Probe probe;
  probe.sum = sum;
  for (int32_t i = 0; i < 4; ++i) {
    probe.lowCell[i] = low[i];
    probe.highCell[i] = high[i];
    probe.keyDistance[i] = distance[i];
  }
  probe.extraDistance.fill(kFar);
  for (int32_t x = low[4]; x <= high[4]; ++x) {
    for (int32_t y = low[5]; y <= high[5]; ++y) {
      for (int32_t z = low[6]; z <= high[6]; ++z) {
        probe.extraDistance[(x * kCells + y) * kCells + z] =
            static_cast<uint8_t>(std::min(distance[4][x] + distance[5][y] + distance[6][z], kFar - 1));
      }
    }
  }
  return probe;
}

BandFilter::Cost BandFilter::CostOf(const Probe& probe) const {
  Cost cost;
  const auto& lo = probe.lowCell;
  const auto& hi = probe.highCell;
  const auto& kd = probe.keyDistance;
  for (int32_t a = lo[0]; a <= hi[0]; ++a) {
    for (int32_t b = lo[1]; b <= hi[1]; ++b) {
      for (int32_t c = lo[2]; c <= hi[2]; ++c) {
        const int32_t left = probe.sum - kd[0][a] - kd[1][b] - kd[2][c];
        const int32_t row = ((a * kCells + b) * kCells + c) * kCells;
        for (int32_t d = lo[3]; d <= hi[3]; ++d) {
          if (left - kd[3][d] >= 0) cost.entries += allChunksStart_[row + d + 1] - allChunksStart_[row + d];
        }
      }
    }
  }
  int64_t passing = 0;
  for (size_t e = 0; e < extraCount_.size(); ++e) passing += probe.extraDistance[e] <= probe.sum ? extraCount_[e] : 0;
  cost.recordReads = static_cast<double>(cost.entries) * static_cast<double>(passing) /
                     static_cast<double>(std::max<int64_t>(Entries(), 1));
  return cost;
}

FilteredFrame BandFilter::Locate(uint32_t number) const {
  int32_t t = blockTrack_[number >> kBlockShift];
  while (spans_[t + 1].first <= number) ++t;
  const TrackSpan& span = spans_[t];
  const uint32_t frame = number - span.first;
  return {t, static_cast<int32_t>(frame), static_cast<int32_t>(spans_[t + 1].first - span.first),
          span.records + IndexRecord::kSize * frame};
}

int64_t BandFilter::FramesWithPeakBefore(int32_t track, int32_t end) const {
  const TrackSpan& span = spans_[track];
  const auto count = static_cast<int32_t>(spans_[track + 1].first - span.first);
  const int32_t tail = count - end;
  const uint64_t tailMask = (uint64_t{1} << tail) - 1;
  const int32_t tailSilent = std::popcount(span.tailSilent & tailMask);
  return int64_t{span.withPeak} - (tail - tailSilent);
}

int64_t BandFilter::MemoryBytes() const {
  int64_t bytes = static_cast<int64_t>(sizeof(*this) + spans_.size() * sizeof(TrackSpan) +
                                       (blockTrack_.size() + allChunksStart_.size()) * sizeof(int32_t));
  for (const Chunk& chunk : chunks_) {
    bytes += static_cast<int64_t>((chunk.bucketStart.size() + chunk.entries.size()) * sizeof(uint32_t));
  }
  return bytes;
}

}  // namespace melo
