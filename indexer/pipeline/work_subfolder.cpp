#include "indexer/pipeline/work_subfolder.h"

#include "base/file_utils.h"
#include "base/path_utils.h"
#include "indexer/pipeline/media_tools.h"
#include "indexer/pipeline/media_types.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace melo {

namespace {

bool IsMarked(const QString& subdir) { return QFileInfo(JoinPath(subdir, kWorkSubfolderMark)).isFile(); }

bool WrittenByTheIndexer(const QFileInfo& entry) {
  if (!entry.isFile() || entry.isSymLink()) return false;
  const QString name = entry.fileName();
  if (name == kWorkSubfolderMark || name == kDecodedWavName || name == kDecodedRawName ||
      name == kToolOutputFile || name == kToolErrorFile) {
    return true;
  }
  const QString extension = ExtractExtension(name);
  return !MediaTypeOf(extension).isEmpty() && name == WorkingCopyName(extension);
}

// Empties a marked folder, the mark excepted; true when nothing else is left.
bool Empty(const QString& subdir) {
  bool cleared = true;
  const QFileInfoList entries =
      QDir(subdir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& entry : entries) {
    if (entry.fileName() == kWorkSubfolderMark) continue;
    const QString path = entry.absoluteFilePath();
    const bool gone = WrittenByTheIndexer(entry) ? QFile::remove(path) : MoveToRecycleBin(path);
    cleared = gone && cleared;
  }
  return cleared;
}

bool Mark(const QString& subdir) {
  QFile mark(JoinPath(subdir, kWorkSubfolderMark));
  if (!mark.open(QIODevice::WriteOnly)) return false;
  mark.write("Made by Melobank for its own files; removed with them.\n");
  return mark.flush();
}

}  // namespace

QString WorkingCopyName(const QString& extension) { return QStringLiteral("source") + extension; }

WorkSubfolderState PrepareWorkSubfolder(const QString& subdir, QString* problem) {
  const QDir folder(subdir);
  if (folder.exists() && !IsMarked(subdir) &&
      !folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    *problem = subdir + QStringLiteral(" holds files the indexer did not make; it is left alone");
    return WorkSubfolderState::Unusable;
  }
  if (!EnsureDirectory(subdir) || (!IsMarked(subdir) && !Mark(subdir))) {
    *problem = QStringLiteral("cannot create ") + subdir;
    return WorkSubfolderState::Unusable;
  }
  if (!Empty(subdir)) {
    *problem = subdir + QStringLiteral(" keeps files that could be neither deleted nor moved to the trash");
    return WorkSubfolderState::LeftoversKept;
  }
  return WorkSubfolderState::Ready;
}

bool RemoveWorkSubfolder(const QString& subdir) {
  if (!IsMarked(subdir)) return true;
  if (!Empty(subdir)) return false;
  QFile::remove(JoinPath(subdir, kWorkSubfolderMark));
  return QDir().rmdir(subdir);
}

}  // namespace melo
