#pragma once

#include <QString>

class QImage;

namespace melo {

class CaptureRing;

// Draws the level history of the ring into `picture`, one column per 10 ms value,
// newest on the right: the level relative to the loudest value held in dark grey,
// and relative to full scale in blue, about the grey middle line. Writes and
// returns "Нет аудио сигнала!" (red) or "Слабый аудио сигнал!" (yellow) when the
// loudest drawn value is below 2 or 2000; empty otherwise.
QString DrawSignalPicture(QImage& picture, CaptureRing& ring);

// Writes one of those two warnings over the picture at (10, 10), in its colour.
void DrawSignalWarning(QImage& picture, const QString& warning);

}  // namespace melo
