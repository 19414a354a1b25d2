#pragma once

#include "trackdb/track_info.h"

#include <QList>
#include <QPair>
#include <QString>

namespace melo {

// The record browser's field list for one row, in display order: ("Имя исходника=",
// name), ("Исходный файл=", path), ... ("Размер индексного файла=", bytes).
QList<QPair<QString, QString>> RecordFieldRows(const TrackInfo& info);

}  // namespace melo
