#include "searcher/windows/window_parts.h"

#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

namespace melo::melodar {

QPushButton* CloseButton(QWidget* window) {
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
  return close;
}

QChartView* ChartView(QChart* chart, const QString& title, int minimumHeight) {
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(minimumHeight);
  return view;
}

QValueAxis* AddAxis(QChart* chart, Qt::Alignment alignment, const QString& title, double minimum, double maximum,
                    const QString& labelFormat) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setRange(minimum, maximum);
  axis->setLabelFormat(labelFormat);
  chart->addAxis(axis, alignment);
  return axis;
}

namespace {

template <class Series>
Series* Attach(QChart* chart, QValueAxis* x, QValueAxis* y, Series* series, const QString& name,
               const QList<QPointF>& points) {
  series->setName(name);
  series->append(points);
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
  return series;
}

}  // namespace

QLineSeries* AddLine(QChart* chart, QValueAxis* x, QValueAxis* y, const QString& name, const QList<QPointF>& points,
                     const QColor& colour) {
  auto* series = new QLineSeries;
  series->setColor(colour);
  return Attach(chart, x, y, series, name, points);
}

QScatterSeries* AddScatter(QChart* chart, QValueAxis* x, QValueAxis* y, const QString& name,
                           const QList<QPointF>& points, const QColor& colour, double size) {
  auto* series = new QScatterSeries;
  series->setColor(colour);
  series->setBorderColor(colour);
  series->setMarkerSize(size);
  return Attach(chart, x, y, series, name, points);
}

QColor BandColour(int band) {
  static const QColor kColours[8] = {QColor(200, 30, 30),  QColor(230, 120, 0), QColor(170, 150, 0),
                                     QColor(0, 150, 60),   QColor(0, 150, 170), QColor(30, 80, 210),
                                     QColor(130, 50, 190), QColor(90, 90, 90)};
  return kColours[band & 7];
}

}  // namespace melo::melodar
