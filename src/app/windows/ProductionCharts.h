#pragma once

#include "production/ProductionReport.h"

#include <QWidget>

class QChart;
class QChartView;

// The day in two charts, side by side: the parts done in each hour, and the cut time against
// the idle time.
class ProductionCharts : public QWidget {
    Q_OBJECT
public:
    explicit ProductionCharts(QWidget* parent = nullptr);

    void Show(const ProductionReport::DaySummary& summary);

    // Hours and minutes: "5:12", "0:04".
    static QString SpanText(qint64 ms);

private:
    void showParts(const ProductionReport::DaySummary& summary);
    void showTimes(const ProductionReport::DaySummary& summary);

    QChart* parts_;
    QChart* times_;
    QChartView* partsView_;
    QChartView* timesView_;
};
