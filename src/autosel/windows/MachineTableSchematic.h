#pragma once

#include <QWidget>

#include <vector>

// A drawing of the machine table: the work surface, its dividing lines (left and right halves,
// and front and back when the table is split that way), and the reference pins the pieces are
// laid against. Field boxes are placed on it where their fields lie, at positions relative to the
// table, so the drawing and the boxes scale together with the window.
class MachineTableSchematic : public QWidget {
    Q_OBJECT
public:
    enum class Split { LeftRight, FourQuarters };

    MachineTableSchematic(Split split, QWidget* parent = nullptr);

    // Puts the widget (made a child of the schematic) at the centre point given in table
    // coordinates: x from 0 (left) to 1 (right), y from 0 (back) to 1 (front).
    void Place(QWidget* widget, QPointF centre);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRectF tableRect() const;
    void layoutPlaced();

    struct Placed {
        QWidget* widget;
        QPointF centre;
    };
    Split split_;
    std::vector<Placed> placed_;
};
