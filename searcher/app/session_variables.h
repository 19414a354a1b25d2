#pragma once

#include <QList>
#include <QStringList>

namespace melo {

class SearcherSession;

// "Значения переменных": the searcher's state now, one (name, value) row each:
// the mode and every threshold of the search, the query, the tracking memory of
// the last hits, the sound source and its ring, the index and the settings. The
// window shows it anew twice a second while it is open.
QList<QStringList> SessionVariables(const SearcherSession& session);

}  // namespace melo
