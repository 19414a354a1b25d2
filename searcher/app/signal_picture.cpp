#include "searcher/app/signal_picture.h"

#include "searcher/capture/capture_ring.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

namespace melo {

namespace {

const QColor kRelative(0x19, 0x19, 0x19);
const QColor kAbsolute(0x00, 0x00, 0xFF);
const QColor kMiddle(0x80, 0x80, 0x80);
const QString kNoSignal = QStringLiteral("Нет аудио сигнала!");
const QString kWeakSignal = QStringLiteral("Слабый аудио сигнал!");

}  // namespace

QString DrawSignalPicture(QImage& picture, CaptureRing& ring) {
  const int width = picture.width();
  const int height = picture.height();
  std::vector<uint16_t> levels(static_cast<size_t>(std::max(width, 0)), 0);
  int32_t largest = 1;
  ring.WithLevels([&](PeakEnvelope& history) {
    largest = std::max<int32_t>(history.UpdateMinMax(), 1);
    const uint32_t total = history.Total();
    const int available = static_cast<int>(std::min<uint32_t>(total, static_cast<uint32_t>(history.Stored())));
    const int shown = std::min(width, available);
    if (shown > 0) history.ReadRange(total - static_cast<uint32_t>(shown), levels.data() + (width - shown), shown);
  });

  picture.fill(Qt::white);
  QPainter painter(&picture);
  const int middle = height / 2;
  int32_t loudest = 0;
  for (int x = 0; x < width; ++x) {
    const int32_t v = levels[static_cast<size_t>(x)];
    loudest = std::max(loudest, v);
    const int relative = static_cast<int>(int64_t{v} * middle / largest);
    const int absolute = static_cast<int>(int64_t{v} * middle / 32767);
    painter.setPen(kRelative);
    painter.drawLine(x, middle - relative, x, middle + relative);
    painter.setPen(kAbsolute);
    painter.drawLine(x, middle - absolute, x, middle + absolute);
  }
  painter.setPen(kMiddle);
  painter.drawLine(0, middle, width - 1, middle);
  painter.end();

  const QString warning = loudest < 2 ? kNoSignal : loudest < 2000 ? kWeakSignal : QString();
  DrawSignalWarning(picture, warning);
  return warning;
}

void DrawSignalWarning(QImage& picture, const QString& warning) {
  if (warning.isEmpty()) return;
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFont font(QStringLiteral("Arial"), 14);
  QPainterPath text;
  text.addText(10, 10 + QFontMetrics(font).ascent(), font, warning);
  // Yellow alone is all but invisible on the white picture: a dark edge keeps
  // either colour readable over the bars and the background alike.
  painter.strokePath(text, QPen(QColor(0x30, 0x30, 0x30), 2));
  painter.fillPath(text, warning == kNoSignal ? QColor(Qt::red) : QColor(Qt::yellow));
}

}  // namespace melo
