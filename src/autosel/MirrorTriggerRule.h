#pragma once

#include <QString>
#include <QtGlobal>

// Where in the examined text (program name or comment) the trigger characters must stand for
// a program to be listed mirrored.
class MirrorTriggerRule {
public:
    static constexpr qint16 FromLeftAlignment = -1;

    // -1 counts from the left; 0 and every other value from the right.
    bool FromLeft() const { return Alignment == FromLeftAlignment; }

    // The highest position the trigger can take in a display of the given width.
    int MaxPosition(int displayWidth) const;

    // Above the maximum becomes the maximum, then below 1 becomes 1: a trigger too long for the
    // display leaves no valid position, and the rule keeps position 1 rather than a negative one
    // that would be saved.
    void ClampPosition(int maximum);

    qint16 Alignment = 0;
    qint16 Position = 0;
    QString Text;
};
