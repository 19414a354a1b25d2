#include "indexer/app/indexing_messages.h"

#include "base/text_format.h"

#include <QLocale>
#include <cmath>

namespace melo {

void IndexingMessages::Clear() {
  succeeded.clear();
  errors.clear();
  indexedBefore.clear();
}

int64_t IndexingMessages::FilesPerHour(qsizetype files, double elapsedSeconds) {
  if (elapsedSeconds <= 0) return 0;
  return std::llround(static_cast<double>(files) * 3600.0 / elapsedSeconds);
}

int64_t IndexingMessages::AudioHoursPerHour(int64_t records, double elapsedSeconds) {
  if (elapsedSeconds <= 0) return 0;
  return std::llround(static_cast<double>(records) * 0.5 / elapsedSeconds);
}

double IndexingMessages::ElapsedSeconds(const QDateTime& now) const {
  return runStart.isValid() ? runStart.msecsTo(now) / 1000.0 : 0.0;
}

QStringList IndexingMessages::StatusTexts(const QDateTime& now, int64_t records) const {
  const double elapsed = ElapsedSeconds(now);
  return {
      QStringLiteral("Время запуска: ") + FormatLocalDateTime(runStart),
      QStringLiteral("Время работы: ") + FormatDuration(static_cast<int64_t>(elapsed), false),
      QStringLiteral("Файлов в час: %1").arg(FilesPerHour(succeeded.size(), elapsed)),
      QStringLiteral("Аудио часов в час: %1").arg(AudioHoursPerHour(records, elapsed)),
  };
}

}  // namespace melo
