#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace melo {

// The machine's physical memory, as the main window's bottom status bar shows it.
struct MemoryStatus {
  int64_t totalBytes = 0;
  int64_t availableBytes = 0;
  int32_t loadPercent = 0;  // share of the memory in use
};

// Reads /proc/meminfo's "MemTotal" and "MemAvailable" (kB); nothing when either
// is missing.
std::optional<MemoryStatus> ParseMemInfo(const QByteArray& text);
// The system's memory now: /proc/meminfo, else sysinfo(); nothing when neither answers.
std::optional<MemoryStatus> ReadMemoryStatus();

// "Свободно на диске <mount point>: 12,34 ГБ" for the file system that holds
// `workDir` (its nearest existing folder); empty when the work directory is not set.
QString FreeDiskText(const QString& workDir);
// "Доступно ОЗУ: 3 172 МБ из 7 936 МБ (60% занято)".
QString MemoryText(const MemoryStatus& memory);

}  // namespace melo
