#pragma once

#include <QString>

namespace melo {

class RecordedScene;
class ScriptedFileChooser;
class TForm1;

// What the help videos of Melobank's own windows work on: a folder of media files
// (one of them indexed before, in the messages scene) and where the database goes.
struct MelobankSceneFiles {
  QString library;
  QString earlierFile;
  QString database;
};

// Acts the task of help video `number` (4 indexing a folder in the main window,
// 5 reading the messages of a run, 6 changing the settings) in `form`, paced for
// the recorder. 0 when acted, 1 when the scene could not be set up, 2 for a number
// that is not one of these windows'.
int PlayMelobankScene(int number, TForm1& form, ScriptedFileChooser& chooser, const MelobankSceneFiles& files,
                      RecordedScene& scene);

}  // namespace melo
