#pragma once

#include "searcher/engine/search_engine.h"
#include "trackdb/track_info.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace melo {

struct SearchIndex;

// The texts the searcher shows for a search, made without any window.

// "Artist - Title - Album - Year - Track - Genre" from the tag text (empty values
// left out); from the file path when there are no tags: the first of file name,
// folder and parent folder holding 11 Latin or Cyrillic letters or more, else all
// three joined with '/'.
QString DisplayTitle(const TrackInfo& info);

// The parameter list of the main window: ("Позиция=", "0:01:23"), ...; after a
// robust search also the answer's score and how many landmarks agreed.
QList<QPair<QString, QString>> ParameterRows(const SearchOutcome& outcome, const SearchIndex& index);

// The coarse-match rate of field 7: "12.34% 1 - 2 - 3 - 4 - 5 - 6".
QString CounterSummary(const ScanCounters& totals);

// The history line: 12 fields separated by TAB. Field 7 (index 6), the title, is
// the only one made of stored text, and may hold any character; the line shows
// its control characters escaped (TAB as \t), so a title cannot shift the fields
// after it when the line is split again.
QStringList HistoryFields(const SearchOutcome& outcome, const SearchIndex& index);
QString HistoryLine(const SearchOutcome& outcome, const SearchIndex& index);

// The 10 rows of the results table: "№", "Разница", "Позиция", "Трек", "Название"
// (all empty for a row without a result).
QList<QStringList> ResultRows(const SearchOutcome& outcome, const SearchIndex& index);

}  // namespace melo
