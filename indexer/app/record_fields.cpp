#include "indexer/app/record_fields.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "indexer/pipeline/add_landmarks.h"

namespace melo {

QString LandmarkFieldText(const RowLandmarks& landmarks) {
  switch (landmarks.state) {
    case StoredLandmarks::Read: return FormatThousands(static_cast<int64_t>(landmarks.landmarks.size()));
    case StoredLandmarks::Missing: return QStringLiteral("нет (добавьте их командой «%1»)").arg(kAddLandmarksCommand);
    case StoredLandmarks::OtherVersion:
      return QStringLiteral("другой версии (%1): добавьте их заново командой «%2»")
          .arg(landmarks.version)
          .arg(kAddLandmarksCommand);
    case StoredLandmarks::Damaged:
      return QStringLiteral("повреждены: добавьте их заново командой «%1»").arg(kAddLandmarksCommand);
  }
  return {};
}

QList<QPair<QString, QString>> RecordFieldRows(const TrackInfo& info, const RowLandmarks* landmarks) {
  QList<QPair<QString, QString>> rows = {
      {QStringLiteral("Имя исходника="), info.source_file_name},
      {QStringLiteral("Исходный файл="), info.source_path},
      {QStringLiteral("Размер исходника="), FormatThousands(info.source_size)},
      {QStringLiteral("SHA2 хэш="), info.sha2},
      {QStringLiteral("MD5 хэш="), info.md5},
      {QStringLiteral("Продолжительность="), FormatDuration(info.duration, true)},
      {QStringLiteral("Расширение="), info.extension},
      {QStringLiteral("Тип="), info.type},
      {QStringLiteral("Номер аудио дорожки="), QString::number(info.audio_track + 1)},
      {QStringLiteral("Всего аудио дорожек="), QString::number(info.all_tracks)},
      {QStringLiteral("Дата создания="), info.created},
      {QStringLiteral("Размер индексного файла="),
       FormatThousands(int64_t{info.records} * int64_t{IndexRecord::kSize})},
  };
  if (landmarks) rows.append({QStringLiteral("Ориентиров="), LandmarkFieldText(*landmarks)});
  return rows;
}

}  // namespace melo
