#pragma once

#include <QString>
#include <QStringList>

namespace melo {

// Appends to `list` (never clearing it) the path of every file in `directory`
// whose name matches `mask` (wildcards; "*.*" means every file, with or without a
// dot), then, when `recurse` is set, for each subdirectory in turn its own path
// (when `includeDirectories` is set) followed by everything below it. Hidden
// entries (names starting with '.') are skipped and not descended into, and so
// are symbolic links to directories, so a listing never leaves the tree or loops.
// Entries of one directory come in name order. A missing or unreadable directory
// contributes nothing. Paths are composed as directory + '/' + name.
void ListFiles(const QString& directory, const QString& mask, bool recurse,
               bool includeDirectories, QStringList& list);

}  // namespace melo
