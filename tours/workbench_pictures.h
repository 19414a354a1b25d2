#pragma once

#include <QString>

namespace melo {

class SearcherSession;

namespace melodar {
class TForm1;
}

// What the debug windows' pictures are taken on: a piece of an indexed track
// for the player, and a folder of media (indexed tracks and one the database
// does not hold) for the test environment.
struct WorkbenchFiles {
  QString playerPiece;
  QString testFolder;
};

// Uses each window of the menu "Отладка" as someone finding out why a recording
// is or is not recognised would, in the described and in the robust mode, and
// saves a picture of each into `out`. False when a window's work did not end.
bool PictureWorkbench(melodar::TForm1& window, SearcherSession& session, const WorkbenchFiles& files,
                      const QString& out);

}  // namespace melo
