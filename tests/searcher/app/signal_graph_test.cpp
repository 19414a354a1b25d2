#include "searcher/app/signal_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace melo {
namespace {

std::vector<int16_t> Sine(double amplitude, int32_t count = 48000) {
  std::vector<int16_t> s(static_cast<size_t>(count));
  for (size_t i = 0; i < s.size(); ++i) {
    const double x = amplitude * std::sin(2 * std::numbers::pi * 440 * double(i) / 48000);
    s[i] = static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
  }
  return s;
}

// The verdict is the search's own: silence, a peak under 500, clipping, too few
// key points, else fit, tested in that order.
TEST(SignalGraph, SaysWhetherTheQueryCanBeSearchedAtTheSearchsOwnLimits) {
  struct Row {
    const char* what;
    std::vector<int16_t> samples;
    int32_t keypoints;
    const char* verdict;
  };
  const QList<Row> rows = {
      {"silence", std::vector<int16_t>(48000, 0), 0, "Сигнала нет: поиск не начнётся."},
      {"a peak of 1", Sine(1.4), 4, "Сигнала нет: поиск не начнётся."},
      {"a peak of 499", Sine(499), 20, "Сигнал слишком слабый (пик ниже 500): поиск не начнётся."},
      {"a peak of 500", Sine(500), 20, "Уровень сигнала годится для поиска."},
      {"clipped", Sine(60000), 20, "Сигнал перегружен: вершины срезаны, полосы спектра искажены."},
      {"three key points", Sine(10000), 3, "Ключевых точек меньше 4: запрос не создаётся."},
  };
  for (const Row& row : rows) {
    const SignalGraph g = SignalGraph::Of(row.samples, {});
    EXPECT_TRUE(g.Summary(row.keypoints, 0).endsWith(QString::fromUtf8(row.verdict))) << row.what;
  }
  const SignalGraph g = SignalGraph::Of(Sine(10000), {});
  EXPECT_EQ(g.peak, 10000);
  EXPECT_NEAR(g.rmsDbTotal, DecibelsOfFullScale(10000 / std::sqrt(2.0)), 0.05);
  EXPECT_EQ(g.highest.size(), 100);  // 10 ms columns
  EXPECT_EQ(g.rmsDb.size(), 20);     // 50 ms points
}

}  // namespace
}  // namespace melo
