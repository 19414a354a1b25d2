#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

class QAbstractSeries;
class QChart;
class QChartView;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;
class QWidget;

namespace melo::melodar {

// The pieces the debug windows are made of.

// "Закрыть", which hides the window.
QPushButton* CloseButton(QWidget* window);

// A chart with a title and the legend at the bottom, in a view that draws smoothly.
QChartView* ChartView(QChart* chart, const QString& title, int minimumHeight = 220);
// A value axis with a title, added to the chart at `alignment`.
QValueAxis* AddAxis(QChart* chart, Qt::Alignment alignment, const QString& title, double minimum, double maximum,
                    const QString& labelFormat = QStringLiteral("%g"));
// A line (or scatter) series of the points, attached to both axes.
QLineSeries* AddLine(QChart* chart, QValueAxis* x, QValueAxis* y, const QString& name, const QList<QPointF>& points,
                     const QColor& colour);
QScatterSeries* AddScatter(QChart* chart, QValueAxis* x, QValueAxis* y, const QString& name,
                           const QList<QPointF>& points, const QColor& colour, double size = 7);
// Eight colours that tell the band series apart.
QColor BandColour(int band);

}  // namespace melo::melodar
