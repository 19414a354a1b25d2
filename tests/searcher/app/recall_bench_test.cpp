#include "searcher/app/recall_bench.h"

#include "searcher/engine/search_index.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

constexpr int64_t kSecond = 48000;

RecallExcerpt Excerpt(int32_t expected, int32_t answered, int64_t answerEnd, SearchMode mode = SearchMode::Fast) {
  RecallExcerpt x;
  x.file = expected >= 0 ? "held.ogg" : "stranger.ogg";
  x.expectedTrack = expected;
  x.start = 10 * kSecond;
  x.length = 4 * kSecond;
  x.degradation = "Без искажений";
  x.mode = mode;
  x.answeredTrack = answered;
  x.answeredPosition = answerEnd;
  x.ms = 2;
  return x;
}

// An answer is right at the held file's track within a second of the excerpt's
// end; for a stranger only no answer is. The table counts each excerpt once.
TEST(RecallReport, EachExcerptCountsOnceAsRightWrongMissedOrFalse) {
  struct Row {
    const char* what;
    RecallExcerpt excerpt;
    bool right;
    const char* verdict;
  };
  const int64_t end = 14 * kSecond;
  const QList<Row> rows = {
      {"at its place", Excerpt(3, 3, end), true, "верно"},
      {"just under a second late", Excerpt(3, 3, end + kSecond - 1), true, "верно"},
      {"a second late", Excerpt(3, 3, end + kSecond), false, "неверно"},
      {"a second early", Excerpt(3, 3, end - kSecond), false, "неверно"},
      {"another track", Excerpt(3, 4, end), false, "неверно"},
      {"not found", Excerpt(3, -1, 0), false, "не найден"},
      {"a stranger unanswered", Excerpt(-1, -1, 0), true, "верно: нет ответа"},
      {"a stranger answered", Excerpt(-1, 2, end), false, "ложный ответ"},
  };
  RecallReport report;
  for (const Row& row : rows) {
    EXPECT_EQ(row.excerpt.Right(), row.right) << row.what;
    report.excerpts.push_back(row.excerpt);
  }
  SearchIndex index;
  index.infos.resize(5);
  const QList<QStringList> excerpts = report.ExcerptRows(index);
  for (qsizetype i = 0; i < rows.size(); ++i) EXPECT_EQ(excerpts[i][9], rows[i].verdict) << rows[i].what;

  // One condition and mode: six held excerpts (two right, three wrong, one
  // missed) and two strangers (one answered).
  const QList<QStringList> summary = report.SummaryRows();
  ASSERT_EQ(summary.size(), 1);
  EXPECT_EQ(summary[0], QStringList({"Без искажений", "Быстрый", "8", "2", "3", "1", "33.3", "1 из 2", "2.00", "2.00"}));

  // Conditions and modes are tallied apart, in the order met.
  report.excerpts.push_back(Excerpt(3, 3, end, SearchMode::Robust));
  report.excerpts.back().degradation = "Эхо комнаты";
  const QList<QStringList> two = report.SummaryRows();
  ASSERT_EQ(two.size(), 2);
  EXPECT_EQ(two[1].mid(0, 4), QStringList({"Эхо комнаты", "Устойчивый (через микрофон)", "1", "1"}));
  EXPECT_EQ(two[1][7], "—");  // no stranger was searched so
}

}  // namespace
}  // namespace melo
