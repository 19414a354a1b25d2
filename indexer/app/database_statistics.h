#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class QRandomGenerator;

namespace melo {

class TDataModule1;

// Colours as 0x00BBGGRR numbers, the form the colour table keeps them in: red
// 255, green 32768, yellow 65535, blue 16711680.
using BgrColour = uint32_t;

// 100 colours for the grouped charts, drawn afresh at each refresh: each is three
// successive draws taken modulo 255 (blue, green, red), so no byte reaches 255.
using ColourTable = std::array<BgrColour, 100>;
ColourTable MakeColourTable(QRandomGenerator& random);

struct ChartSlice {
  QString label;
  int64_t value = 0;
  BgrColour colour = 0;

  bool operator==(const ChartSlice&) const = default;
};

struct StatisticsChart {
  QStringList title;  // two lines
  QList<ChartSlice> slices;
};

struct StatisticsTotal {
  QString name;  // ends with "="
  int64_t value = 0;

  QString Line() const { return name + QString::number(value); }
};

// What the statistics window shows of the current database: fourteen totals (the
// tracks and hours with landmarks beside all of them) and the data of its eight
// charts. Everything is read anew by Read(); nothing is cached.
struct DatabaseStatistics {
  QList<StatisticsTotal> totals;
  StatisticsChart filesByType, filesByExtension;
  StatisticsChart filesByLandmarks;  // tracks with landmarks and without
  StatisticsChart hoursByType, hoursByExtension;
  StatisticsChart tags;
  StatisticsChart tracksPerFile;
  StatisticsChart durations;  // one bar per ten-minute bucket
  // False when the table could not be read at all (no table, a file locked by
  // another program): the zeros then do not describe the database.
  bool readable = true;

  // Runs every statement under the database lock (owner 1000). A failing statement
  // gives 0 or a shorter chart; an unreadable table stops after the first one.
  static DatabaseStatistics Read(TDataModule1& store, const ColourTable& colours);
};

}  // namespace melo
