#include "indexer/app/resource_status.h"

#include "base/text_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>
#include <cmath>
#include <sys/sysinfo.h>

namespace melo {

namespace {

constexpr int64_t kMiB = int64_t{1} << 20;
constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

std::optional<int64_t> KiloBytesOf(const QByteArray& text, const QByteArray& key) {
  for (const QByteArray& line : text.split('\n')) {
    if (!line.startsWith(key + ':')) continue;
    bool ok = false;
    const int64_t kb = line.mid(key.size() + 1).trimmed().split(' ').first().toLongLong(&ok);
    if (ok) return kb;
  }
  return std::nullopt;
}

MemoryStatus StatusOf(int64_t total, int64_t available) {
  MemoryStatus status{total, available, 0};
  if (total > 0) status.loadPercent = static_cast<int32_t>(std::lround(100.0 * (total - available) / total));
  return status;
}

// The folder itself, or the nearest one above it that exists: a work directory
// still to be made lies on the disk of its parent.
QString ExistingFolderOf(const QString& path) {
  QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  while (!info.exists() && !info.isRoot()) info = QFileInfo(info.absolutePath());
  return info.absoluteFilePath();
}

}  // namespace

std::optional<MemoryStatus> ParseMemInfo(const QByteArray& text) {
  const auto total = KiloBytesOf(text, "MemTotal");
  const auto available = KiloBytesOf(text, "MemAvailable");
  if (!total || !available || *total <= 0) return std::nullopt;
  return StatusOf(*total * 1024, *available * 1024);
}

std::optional<MemoryStatus> ReadMemoryStatus() {
  QFile meminfo(QStringLiteral("/proc/meminfo"));
  if (meminfo.open(QIODevice::ReadOnly)) {
    if (auto status = ParseMemInfo(meminfo.readAll())) return status;
  }
  struct sysinfo info {};
  if (sysinfo(&info) != 0 || info.totalram == 0) return std::nullopt;
  const auto unit = static_cast<int64_t>(info.mem_unit);
  return StatusOf(static_cast<int64_t>(info.totalram) * unit,
                  static_cast<int64_t>(info.freeram + info.bufferram) * unit);
}

QString FreeDiskText(const QString& workDir) {
  if (workDir.isEmpty()) return {};
  const QStorageInfo storage(ExistingFolderOf(workDir));
  if (!storage.isValid()) return {};
  return QStringLiteral("Свободно на диске ") + storage.rootPath() + QStringLiteral(": ") +
         QLocale().toString(static_cast<double>(storage.bytesAvailable()) / kGiB, 'f', 2) +
         QStringLiteral(" ГБ");
}

QString MemoryText(const MemoryStatus& memory) {
  return QStringLiteral("Доступно ОЗУ: ") + FormatThousands(memory.availableBytes / kMiB) +
         QStringLiteral(" МБ из ") + FormatThousands(memory.totalBytes / kMiB) + QStringLiteral(" МБ (") +
         QString::number(memory.loadPercent) + QStringLiteral("% занято)");
}

}  // namespace melo
