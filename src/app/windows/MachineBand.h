#pragma once

#include "station/MachineState.h"

#include <QFrame>

class ElidedLabel;
class QPushButton;
class StationState;

// The machine across the main window, always in sight: its state in large words on its colour
// (grey not connected, red E-stop or fault, amber held or not ready, green at work, plain
// ready), what runs the list beneath, and Start, Hold and End, which stand for the scanned
// "%START%", "%STOP%" and "%END%". A fault stays until it is clicked (or Start is given). Its
// height never changes, so the window's layout stays put whatever it says.
class MachineBand : public QFrame {
    Q_OBJECT
public:
    explicit MachineBand(StationState& state, QWidget* parent = nullptr);

    // The words shown, as the operator reads them: "Running P1.CNC (line 2 of 5)".
    static QString Caption(const MachineState& machine);

Q_SIGNALS:
    // A button was pressed: the label it stands for.
    void CommandWanted(const QString& label);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void show(const MachineState& machine);
    QPushButton* button(const QString& text, const char* name, const QString& label, const QString& tip);

    StationState& state_;
    ElidedLabel* words_;
    ElidedLabel* detail_;
    QPushButton* start_;
    QPushButton* hold_;
    QPushButton* end_;
};
