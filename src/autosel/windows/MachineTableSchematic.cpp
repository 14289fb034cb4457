#include "autosel/windows/MachineTableSchematic.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

MachineTableSchematic::MachineTableSchematic(Split split, QWidget* parent) : QWidget(parent), split_(split)
{
    setObjectName(QStringLiteral("MachineTableSchematic"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MachineTableSchematic::Place(QWidget* widget, QPointF centre)
{
    widget->setParent(this);
    placed_.push_back({widget, centre});
    layoutPlaced();
}

QSize MachineTableSchematic::sizeHint() const
{
    return {520, 300};
}

QSize MachineTableSchematic::minimumSizeHint() const
{
    return {360, 220};
}

QRectF MachineTableSchematic::tableRect() const
{
    // Room around the table for the pins, and above and below them for the back/front captions.
    const qreal side = 22;
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    const qreal vertical = side + QFontMetricsF(small).height();
    return QRectF(rect()).adjusted(side, vertical, -side, -vertical);
}

void MachineTableSchematic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPlaced();
}

void MachineTableSchematic::layoutPlaced()
{
    const QRectF table = tableRect();
    for (const Placed& p : placed_) {
        const QSize size = p.widget->sizeHint().expandedTo(p.widget->minimumSizeHint());
        const QPointF at(table.left() + p.centre.x() * table.width(), table.top() + p.centre.y() * table.height());
        p.widget->setGeometry(qRound(at.x() - size.width() / 2.0), qRound(at.y() - size.height() / 2.0), size.width(),
                              size.height());
    }
}

void MachineTableSchematic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF table = tableRect();
    const QColor frame(70, 80, 95);
    const QColor left(214, 228, 242);
    const QColor right(226, 238, 218);

    // The work surface: left and right halves in two colours; the back half a shade darker when
    // the table is split front and back as well.
    const QRectF leftHalf(table.left(), table.top(), table.width() / 2, table.height());
    const QRectF rightHalf(table.center().x(), table.top(), table.width() / 2, table.height());
    painter.fillRect(leftHalf, left);
    painter.fillRect(rightHalf, right);
    if (split_ == Split::FourQuarters) {
        const QRectF back(table.left(), table.top(), table.width(), table.height() / 2);
        painter.fillRect(back, QColor(0, 0, 0, 18));
    }

    // Slats of the vacuum table, for orientation only.
    painter.setPen(QPen(QColor(255, 255, 255, 160), 1));
    for (int i = 1; i < 12; ++i) {
        const qreal x = table.left() + table.width() * i / 12.0;
        painter.drawLine(QPointF(x, table.top() + 2), QPointF(x, table.bottom() - 2));
    }

    painter.setPen(QPen(frame, 2));
    painter.drawRect(table);
    QPen divider(frame, 1.5, Qt::DashLine);
    painter.setPen(divider);
    painter.drawLine(QPointF(table.center().x(), table.top()), QPointF(table.center().x(), table.bottom()));
    if (split_ == Split::FourQuarters)
        painter.drawLine(QPointF(table.left(), table.center().y()), QPointF(table.right(), table.center().y()));

    // Reference pins: the stops at the outer corners and at the middle of each half, on the
    // back edge (and the front edge for front fields).
    painter.setPen(QPen(frame, 1));
    painter.setBrush(QColor(200, 60, 50));
    const qreal r = 5;
    auto pin = [&](qreal x, qreal y) { painter.drawEllipse(QPointF(x, y), r, r); };
    const qreal backY = table.top() - r - 2;
    const qreal frontY = table.bottom() + r + 2;
    for (qreal fx : {0.02, 0.48, 0.52, 0.98}) {
        pin(table.left() + fx * table.width(), backY);
        if (split_ == Split::FourQuarters)
            pin(table.left() + fx * table.width(), frontY);
    }
    pin(table.left() - r - 2, table.top() + table.height() * 0.15);
    pin(table.right() + r + 2, table.top() + table.height() * 0.15);
    if (split_ == Split::FourQuarters) {
        pin(table.left() - r - 2, table.top() + table.height() * 0.85);
        pin(table.right() + r + 2, table.top() + table.height() * 0.85);
    }

    painter.setPen(frame);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);
    // The captions stay clear of the pins: above the back pins, below the front ones.
    const QRectF above(table.left(), 0, table.width(), table.top() - 2 * r - 4);
    const QRectF below(table.left(), table.bottom() + 2 * r + 4, table.width(), height() - table.bottom() - 2 * r - 4);
    painter.drawText(above, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Back"));
    painter.drawText(below, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Front (operator)"));
}
