#include "searcher/app/search_history.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace melo {
namespace {

// A history line as the searcher writes it: found lines carry a position, a
// title and the four values of the best hit; failed ones only time and counters.
QString Line(const QString& title, bool confirmed, const QString& counters = "1.00% 9 - 9 - 9 - 9 - 9 - 9",
             const QString& seconds = "0.250") {
  const bool found = !title.isEmpty();
  return QStringList{"2024-05-01 13:45:10 ", seconds, confirmed ? "OK" : "", found ? "480000" : "",
                     found ? "0:00:10" : "", found ? "3" : "", title, counters, found ? "4" : "",
                     found ? "7" : "", found ? "5" : "", found ? "9" : ""}
      .join('\t');
}

class SearchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale::c()); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(SearchHistoryTest, KeepsTheNewestThousandLinesAndConfirmsOnlyTheNewest) {
  SearchHistory history;
  for (int i = 0; i < 1001; ++i) history.Append(Line(QString("track %1").arg(i), false));
  EXPECT_EQ(history.Count(), 1000);
  EXPECT_EQ(SearchHistory::Fields(history.Lines().first())[SearchHistory::kTitle], "track 1");

  history.ConfirmLastRecord();
  history.ConfirmLastRecord();  // already confirmed: unchanged
  EXPECT_EQ(history.Lines().last(), Line("track 1000", true));
  EXPECT_EQ(history.Lines()[998], Line("track 999", false));
}

TEST_F(SearchHistoryTest, FiltersHideLinesButCountsCoverEveryLine) {
  SearchHistory history;
  history.Append(Line("A", true, "1.00% 9 - 9 - 9 - 9 - 9 - 9", "0.100"));
  history.Append(Line("B", false, "1.00% 9 - 9 - 9 - 9 - 9 - 9", "0.200"));
  history.Append(Line("", false, "0.00% 9 - 9 - 0 - 0 - 0 - 0", "0.600"));
  history.Append(Line("C", true, "1.00% 9 - 9 - 9 - 9 - 9 - 9", "0.300"));
  struct Case {
    SearchHistory::Filters filters;
    QList<int> shown;
  };
  for (const Case& c : {Case{{true, true}, {0, 3}}, Case{{true, false}, {0, 1, 3}}, Case{{false, false}, {0, 1, 2, 3}}}) {
    const SearchHistory::Summary s = history.Summarize(c.filters);
    EXPECT_EQ(s.shown, c.shown);
    EXPECT_EQ(s.status, QStringList({"Количество записей: 4", "Найдено: 3 (75%)", "Не найдено: 1 (25%)",
                                     "Подтверждено: 2 (50%)", "Не подтверждено: 1 (25%)"}));
    EXPECT_EQ(s.statistics, QStringList({"Время поиска (минимум)=0.100", "Время поиска (максимум)=0.600",
                                         "Время поиска (среднее)=0.300", "Разница (минимум)=7",
                                         "Разница (максимум)=7", "Разница (среднее)=7"}));
  }

  SearchHistory failures;
  failures.Append(Line("", false));
  EXPECT_EQ(failures.Summarize({}).statistics.size(), 3);  // no "Разница" rows without a hit
}

TEST_F(SearchHistoryTest, UniqueTitlesByCountPutEqualCountsInDescendingTitleOrder) {
  SearchHistory history;
  for (const char* title : {"Beta", "alpha", "Gamma", "Beta", "alpha", "Gamma", "Gamma"}) history.Append(Line(title, true));
  history.Append(Line("Delta", false));
  history.Append(Line("", false));

  using Rows = QList<QStringList>;
  EXPECT_EQ(history.UniqueTitles(true, true),
            Rows({{"1", "   3", "Gamma"}, {"2", "   2", "Beta"}, {"3", "   2", "alpha"}}));
  EXPECT_EQ(history.UniqueTitles(true, false), Rows({{"1", "2", "alpha"}, {"2", "2", "Beta"}, {"3", "3", "Gamma"}}));
  EXPECT_EQ(history.UniqueTitles(false, true).value(3), QStringList({"4", "   1", "Delta"}));
}

TEST_F(SearchHistoryTest, AFailedSearchCountsUnderTheFirstStageNothingReached) {
  struct Case {
    QString counters;
    int reason;  // -1: none
  };
  const QList<Case> cases = {
      {"0.00% 500 - 9000 - 0 - 3 - 2 - 1", SearchHistory::kNoSimilarKeypoints},
      {"0.10% 500 - 9000 - 9 - 0 - 0 - 0", SearchHistory::kAmplitudeCheck},
      {"0.10% 500 - 9000 - 9 - 4 - 0 - 0", SearchHistory::kOtherSpectra},
      {"0.10% 500 - 9000 - 9 - 4 - 2 - 0", SearchHistory::kDifferenceTooLarge},
      {"0.10% 500 - 9000 - 9 - 4 - x", SearchHistory::kOtherSpectra},  // not a number counts as 0
      {"0.10% 500 - 9000 - 9 - 4 - 2 - 1", -1},
  };
  for (const Case& c : cases) {
    SearchHistory history;
    history.Append(Line("", false, c.counters));
    history.Append(Line("found anyway", false, "0.00% 500 - 9000 - 0 - 0 - 0 - 0"));
    std::array<int, SearchHistory::kReasonCount> expected{};
    if (c.reason >= 0) expected[c.reason] = 1;
    EXPECT_EQ(history.FailureReasons(), expected) << c.counters.toStdString();
  }
}

}  // namespace
}  // namespace melo
