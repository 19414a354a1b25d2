#include "searcher/app/spectrogram.h"

#include "landmarks/downsampler.h"
#include "landmarks/short_time_spectrum.h"
#include "searcher/app/background_job.h"
#include "searcher/app/landmark_geometry.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace melo {

namespace {

// The range of levels the colours span below the loudest: 12 nepers of power, 52 dB.
constexpr float kLevelRange = 12;
constexpr int32_t kStretchFrames = 1024;

// Dark blue through red to yellow.
QRgb Colour(float share) {
  const float s = std::clamp(share, 0.0f, 1.0f);
  const auto r = static_cast<int>(255 * std::clamp(2.0f * s - 0.3f, 0.0f, 1.0f));
  const auto g = static_cast<int>(255 * std::clamp(2.0f * s - 1.0f, 0.0f, 1.0f));
  const auto b = static_cast<int>(40 + 120 * std::clamp(1.0f - 2.0f * std::abs(s - 0.35f), 0.0f, 1.0f));
  return qRgb(r, g, b);
}

}  // namespace

Spectrogram Spectrogram::Of(std::span<const int16_t> samples, const std::vector<int32_t>& keypoints,
                            JobProgress* progress) {
  Spectrogram s;
  s.keypoints_ = keypoints;
  s.frames_ = landmarks::LandmarkExtractor::FrameCount(static_cast<int64_t>(samples.size()));
  if (s.frames_ <= 0) return s;
  s.levels_.resize(static_cast<size_t>(s.frames_) * kRows);
  landmarks::Downsampler downsampler;
  landmarks::ShortTimeSpectrum spectrum;
  std::vector<float> copy, rows;
  // A stretch at a time, so a long one shows its progress and may be stopped.
  for (int32_t first = 0; first < s.frames_; first += kStretchFrames) {
    if (progress) {
      if (progress->Stopped()) return {};
      progress->Set(first, s.frames_ + s.frames_ / 4);
    }
    const int32_t frames = std::min(kStretchFrames, s.frames_ - first);
    const int32_t copyLength = (frames - 1) * landmarks::kHop + landmarks::kFrameSize;
    copy.resize(static_cast<size_t>(copyLength));
    downsampler.Run(samples, int64_t{first} * landmarks::kHop, copyLength, copy.data());
    rows.resize(static_cast<size_t>(frames) * landmarks::kBins);
    spectrum.Compute(copy.data(), frames, rows.data());
    for (int32_t f = 0; f < frames; ++f) {
      std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(f) * landmarks::kBins, kRows,
                  s.levels_.begin() + static_cast<std::ptrdiff_t>(first + f) * kRows);
    }
  }
  s.loudest_ = *std::max_element(s.levels_.begin(), s.levels_.end());
  if (progress) progress->SetStage(QStringLiteral("Пики и ориентиры"));
  s.set_ = landmarks::LandmarkExtractor(landmarks::QuerySettings()).Extract(samples);
  return s;
}

QPoint Spectrogram::PixelOf(int32_t pixelsPerFrame, double frame, double bin) const {
  const int32_t height = kRows / kBinsPerPixel;
  return {kLeftMargin + static_cast<int>(std::floor(frame * pixelsPerFrame)) + pixelsPerFrame / 2,
          kTopMargin + height - 1 - static_cast<int>(std::floor(bin / kBinsPerPixel))};
}

int32_t Spectrogram::FittingScale(int32_t width) const {
  if (frames_ <= 0) return 1;
  return std::clamp((width - kLeftMargin - 8) / frames_, 1, 8);
}

QImage Spectrogram::Picture(int32_t pixelsPerFrame, bool peaks, bool landmarks, bool keypoints) const {
  const int32_t height = kRows / kBinsPerPixel;
  const int32_t width = std::max(1, frames_ * pixelsPerFrame);
  QImage image(kLeftMargin + width + 8, kTopMargin + height + kBottomMargin, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int32_t f = 0; f < frames_; ++f) {
    for (int32_t y = 0; y < height; ++y) {
      float level = 0;
      for (int32_t b = y * kBinsPerPixel; b < (y + 1) * kBinsPerPixel; ++b) level = std::max(level, Level(f, b));
      const QRgb colour = Colour(1.0f - (loudest_ - level) / kLevelRange);
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(kTopMargin + height - 1 - y));
      for (int32_t x = 0; x < pixelsPerFrame; ++x) line[kLeftMargin + f * pixelsPerFrame + x] = colour;
    }
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (keypoints) {
    painter.setPen(QPen(QColor::fromRgb(kKeypointColour), 1, Qt::DashLine));
    for (const int32_t position : keypoints_) {
      const double frame = (position - landmarks::kFrameSize * landmarks::kDecimation / 2.0) /
                           landmarks::kInputSamplesPerHop;
      if (frame < 0 || frame >= frames_) continue;
      const int x = PixelOf(pixelsPerFrame, frame, 0).x();
      painter.drawLine(x, kTopMargin, x, kTopMargin + height - 1);
    }
  }
  if (landmarks) {
    painter.setPen(QPen(QColor::fromRgb(kLandmarkColour), 1));
    for (const landmarks::Landmark& l : set_.landmarks) {
      const QPoint a = PixelOf(pixelsPerFrame, l.frame, AnchorBin(l.hash));
      const QPoint b = PixelOf(pixelsPerFrame, l.frame + FrameDelta(l.hash), PartnerBin(l.hash));
      painter.drawLine(a, b);
    }
  }
  if (peaks) {
    for (const landmarks::SpectralPeak& p : set_.peaks) {
      const QPoint at = PixelOf(pixelsPerFrame, p.frame, p.bin);
      painter.fillRect(at.x() - 1, at.y() - 1, 3, 3, QColor::fromRgb(kPeakColour));
    }
  }
  painter.setPen(Qt::black);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  for (int32_t hz = 0; hz <= 3500; hz += 500) {
    const int y = PixelOf(pixelsPerFrame, 0, hz * landmarks::kFrameSize / double(landmarks::kAnalysisRate)).y();
    painter.drawLine(kLeftMargin - 4, y, kLeftMargin - 1, y);
    painter.drawText(QRect(0, y - 7, kLeftMargin - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(hz));
  }
  painter.drawText(QRect(0, 0, kLeftMargin, kTopMargin + 12), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Гц"));
  // Times are those of the frames' middles, where the key points are drawn.
  const double middle = FrameSeconds(landmarks::kFrameSize * landmarks::kDecimation / 2.0 /
                                     landmarks::kInputSamplesPerHop);
  const double seconds = FrameSeconds(frames_) + middle;
  const double step = seconds <= 8 ? 0.5 : seconds <= 30 ? 2 : seconds <= 120 ? 10 : 30;
  for (double t = step; t <= seconds; t += step) {
    const double frame = (t - middle) / FrameSeconds(1);
    if (frame < 0 || frame >= frames_) continue;
    const int x = PixelOf(pixelsPerFrame, frame, 0).x();
    const int y = kTopMargin + height;
    painter.drawLine(x, y, x, y + 4);
    painter.drawText(QRect(x - 30, y + 5, 60, 14), Qt::AlignHCenter | Qt::AlignTop, QLocale().toString(t, 'g', 4));
  }
  painter.drawText(QRect(kLeftMargin, kTopMargin + height + 18, width, 14), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("секунды"));
  return image;
}

}  // namespace melo
