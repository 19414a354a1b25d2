#pragma once

#include <QString>

namespace melo {

// A media worker's folder, WorkDir/<slot>. The indexer marks every such folder it
// creates with a file of its own, and empties or removes only marked folders, so a
// folder "0" that a user keeps in the chosen work directory is never touched.
//
// The files the indexer writes there have fixed names that no source file can
// take: the working copy of a source is "source" + its extension, beside the
// decoded "data.wav" and "data.dat" and the tools' capture files. Those are
// deleted outright (they are copies and intermediate files, and would only fill
// the user's trash); anything else found in a marked folder is moved to the trash,
// and stays where it is when the trash cannot take it.

inline const QString kWorkSubfolderMark = QStringLiteral(".melobank-work");
inline const QString kDecodedWavName = QStringLiteral("data.wav");
inline const QString kDecodedRawName = QStringLiteral("data.dat");

// The working copy's name for a source with this extension (dot included).
QString WorkingCopyName(const QString& extension);

enum class WorkSubfolderState {
  Ready,
  LeftoversKept,  // marked and usable, but something in it could not be cleared away
  Unusable,       // cannot be created, or holds files the indexer did not make
};

// Makes the folder ready for the next file: created and marked when missing (an
// empty unmarked folder is taken over, it holds nothing to lose), emptied when
// marked; an unmarked folder with anything in it is left untouched. Unless Ready,
// *problem says why in English.
WorkSubfolderState PrepareWorkSubfolder(const QString& subdir, QString* problem);

// Removes a marked folder with what is in it; an unmarked one is left alone. True
// when no marked folder is left there.
bool RemoveWorkSubfolder(const QString& subdir);

}  // namespace melo
