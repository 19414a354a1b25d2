#pragma once

#include "trackdb/landmark_row.h"
#include "trackdb/track_info.h"

#include <QList>
#include <QPair>
#include <QString>

namespace melo {

// The record browser's field list for one row, in display order: ("Имя исходника=",
// name), ("Исходный файл=", path), ... ("Размер индексного файла=", bytes), and
// with the row's landmarks ("Ориентиров=", their count, or what is wrong with them).
QList<QPair<QString, QString>> RecordFieldRows(const TrackInfo& info, const RowLandmarks* landmarks = nullptr);

// What the field "Ориентиров=" says of a row's landmarks.
QString LandmarkFieldText(const RowLandmarks& landmarks);

}  // namespace melo
