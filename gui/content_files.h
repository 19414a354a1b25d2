#pragma once

#include <QString>

namespace melo {

// The pictures, help videos and help pages the windows show. They live in a folder
// "content" beside the program (a build tree, a copied folder) or, in an
// installation under a prefix, in <prefix>/share/melobank/content (the programs
// themselves are in <prefix>/lib/melobank). When neither exists the folder beside the program is named, so a
// message about a missing file shows where it was expected.
QString ContentDir();
QString ContentFile(const QString& name);

// Shows another folder's content instead (tests, the tool that records the help
// videos); an empty path returns to the rule above.
void SetContentDir(const QString& dir);

}  // namespace melo
