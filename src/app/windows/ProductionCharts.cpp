#include "app/windows/ProductionCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLegend>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>

#include <algorithm>

namespace {
// The working day shown at least, so that a quiet morning does not make a few wide bars.
constexpr int FirstHourShown = 6;
constexpr int LastHourShown = 17;
const QColor partsColour(0x2E, 0x7D, 0x32);
const QColor cutColour(0x2E, 0x7D, 0x32);
const QColor idleColour(0xB0, 0xB0, 0xB0);

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    return chart;
}

QChartView* viewOf(QChart* chart, const char* name, QWidget* parent)
{
    auto* view = new QChartView(chart, parent);
    view->setObjectName(QLatin1String(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(160, 140);
    return view;
}
} // namespace

ProductionCharts::ProductionCharts(QWidget* parent)
    : QWidget(parent), parts_(newChart(QStringLiteral("Parts per hour"))), times_(newChart(QStringLiteral("Cut and idle time"))),
      partsView_(viewOf(parts_, "chtPartsPerHour", this)), timesView_(viewOf(times_, "chtCutIdle", this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(partsView_, 3);
    layout->addWidget(timesView_, 2);
    Show({});
}

QString ProductionCharts::SpanText(qint64 ms)
{
    const qint64 minutes = (ms + 30'000) / 60'000;
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

void ProductionCharts::Show(const ProductionReport::DaySummary& summary)
{
    showParts(summary);
    showTimes(summary);
}

void ProductionCharts::showParts(const ProductionReport::DaySummary& summary)
{
    parts_->removeAllSeries();
    // The chart lets go of an axis it removes, unlike the series it removes: the axis is deleted here.
    for (QAbstractAxis* axis : parts_->axes()) {
        parts_->removeAxis(axis);
        delete axis;
    }
    const auto& hours = summary.partsPerHour;
    int first = FirstHourShown;
    int last = LastHourShown;
    int most = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const int count = hours[static_cast<std::size_t>(hour)];
        if (count > 0) {
            first = std::min(first, hour);
            last = std::max(last, hour);
        }
        most = std::max(most, count);
    }
    auto* set = new QBarSet(QStringLiteral("Parts done"));
    set->setColor(partsColour);
    set->setBorderColor(partsColour);
    QStringList categories;
    int total = 0;
    for (int hour = first; hour <= last; ++hour) {
        const int count = hours[static_cast<std::size_t>(hour)];
        *set << count;
        total += count;
        categories << QString::number(hour);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.8);
    parts_->addSeries(series);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(categories);
    // A smaller face, so that a label per hour fits at any scale.
    QFont small = axisX->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    axisX->setLabelsFont(small);
    parts_->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setLabelFormat(QStringLiteral("%d"));
    // Whole parts only: a top that is a multiple of the ticks' step.
    const int top = std::max(4, (most + 3) / 4 * 4);
    axisY->setRange(0, top);
    axisY->setTickCount(5);
    parts_->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    parts_->legend()->hide();
    parts_->setTitle(QStringLiteral("Parts per hour (%1 done)").arg(total));
}

void ProductionCharts::showTimes(const ProductionReport::DaySummary& summary)
{
    times_->removeAllSeries();
    auto* series = new QPieSeries;
    series->setPieSize(0.9);
    series->setHoleSize(0.45);
    const struct {
        QString name;
        qint64 ms;
        QColor colour;
    } slices[] = {{QStringLiteral("Cut"), summary.cutMs, cutColour}, {QStringLiteral("Idle"), summary.idleMs, idleColour}};
    for (const auto& slice : slices) {
        QPieSlice* piece = series->append(QStringLiteral("%1 %2").arg(slice.name, SpanText(slice.ms)),
                                          static_cast<qreal>(slice.ms));
        piece->setColor(slice.colour);
        piece->setBorderColor(Qt::white);
    }
    times_->addSeries(series);
    times_->legend()->setAlignment(Qt::AlignBottom);
    times_->legend()->show();
    times_->setTitle(summary.cutMs + summary.idleMs > 0 ? QStringLiteral("Cut and idle time (h:mm)")
                                                        : QStringLiteral("Cut and idle time: no runs"));
}
