#pragma once

namespace melo {

class RecordedScene;
class SearcherSession;

namespace melodar {
class TForm1;
}

// Acts the task of help video `number` in Melodar's windows while Echoline plays
// a piece of one indexed track and then another, paced for the recorder:
// 1 identifying what plays, 2 reading the query and its results, 3 reading the
// history. 0 when acted, 1 when the scene could not begin, 2 for a number that is
// not one of these windows'.
int PlayMelodarScene(int number, melodar::TForm1& window, SearcherSession& session, RecordedScene& scene);

}  // namespace melo
