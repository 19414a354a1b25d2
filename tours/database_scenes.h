#pragma once

#include <QString>

namespace melo {

class DatabaseWindows;
class RecordedScene;

// Acts the task of help video `number` in Melobank's database windows, paced for
// the recorder: 7 browsing the records, 8 checking the database, 9 importing the
// database `otherDatabase` into it. 0 when acted, 1 when the scene could not
// begin, 2 for a number that is not one of these windows'.
int PlayDatabaseScene(int number, DatabaseWindows& windows, const QString& otherDatabase, RecordedScene& scene);

}  // namespace melo
