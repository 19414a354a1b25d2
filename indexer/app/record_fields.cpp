#include "indexer/app/record_fields.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"

namespace melo {

QList<QPair<QString, QString>> RecordFieldRows(const TrackInfo& info) {
  return {
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
}

}  // namespace melo
