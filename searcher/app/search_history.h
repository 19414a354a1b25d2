#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>

namespace melo {

// The outcome of the last 1000 searches, one line of 12 TAB-separated fields per
// search, oldest first, and what the history window makes of them: the lines the
// filters let through, the statistics and counts over every line, the unique
// titles, the search times and the reasons of the failures.
class SearchHistory {
 public:
  static constexpr int kLimit = 1000;
  enum Field {
    kMoment = 0,
    kSearchTime = 1,
    kConfirmation = 2,
    kPosition = 3,
    kTime = 4,
    kNumber = 5,
    kTitle = 6,
    kCounters = 7,
    kBandDifference = 8,
    kEnvelope = 9,
    kScore = 10,
    kInside = 11,
    kFieldCount = 12,
  };
  // The failure reasons in the order of the chart's slices.
  enum Reason { kNoSimilarKeypoints, kAmplitudeCheck, kOtherSpectra, kDifferenceTooLarge, kReasonCount };

  // Adds a line; the oldest lines go once there are more than kLimit.
  void Append(const QString& line);
  // The newest line's confirmation field becomes "OK" (the hit being appended now
  // continues it).
  void ConfirmLastRecord();
  void Clear() { lines_.clear(); }
  const QStringList& Lines() const { return lines_; }
  int Count() const { return static_cast<int>(lines_.size()); }

  // A line's 12 fields; missing ones are empty.
  static QStringList Fields(const QString& line);
  static bool Found(const QStringList& fields) { return !fields[kEnvelope].isEmpty(); }
  static bool Confirmed(const QStringList& fields) { return fields[kConfirmation] == QLatin1String("OK"); }

  struct Filters {
    bool foundOnly = true;      // "Показывать только результативные записи"
    bool confirmedOnly = true;  // "Показывать только подтверждённые записи"
  };
  // What the table, the statistics list, the status bar and the bar chart show.
  // Counts and statistics cover every line whatever the filters hide.
  struct Summary {
    QList<int> shown;        // the lines the table shows, oldest first
    QStringList statistics;  // "Время поиска (минимум)=0,012", ...
    int found = 0, notFound = 0, confirmed = 0, notConfirmed = 0;
    QStringList status;      // status bar panels 0..4
  };
  Summary Summarize(const Filters& filters) const;

  // Rows "№", "Кол-во", "Название" of the unique titles: by count, largest first
  // and equal counts in descending title order, or by title.
  QList<QStringList> UniqueTitles(bool confirmedOnly, bool byCount) const;
  // (i, search seconds) of the last 100 lines.
  QList<QPointF> SearchTimes() const;
  // How many failed searches stopped at each stage of the matching.
  std::array<int, kReasonCount> FailureReasons() const;

 private:
  QStringList lines_;
};

// A decimal of the user's locale (or with a point), 0 when it is none.
double LocaleNumber(const QString& text);

}  // namespace melo
