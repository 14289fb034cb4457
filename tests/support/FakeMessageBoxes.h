#pragma once

#include "platform/InstanceCounter.h"
#include "platform/MessageBoxes.h"
#include "platform/Pauser.h"

#include <QList>
#include <QString>

#include <functional>

// Message boxes that record what was shown and answer from a script (else the safe answer).
class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        Icon icon;
        Buttons buttons;
        QString caption;
    };
    QList<Shown> shown;
    QList<Answer> answers; // consumed in order
    std::function<void(const Shown&)> onShow; // e.g. to run events while the box is "open"

    QStringList Texts() const;

protected:
    Answer Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption) override;
};

// A pause that returns at once, counting the seconds it was asked for.
class InstantPauser : public Pauser {
public:
    void Pause(double seconds) override { paused += seconds; ++pauses; }
    void ProcessEvents() override {}
    double paused = 0;
    int pauses = 0;
};

// An instance counter with set answers.
class FakeInstanceCounter : public InstanceCounter {
public:
    bool PreviousInstance() override { return count > 1; }
    int InstanceCount(const QString& module) override { asked = module; return count; }
    bool EnhancedInterfaceAvailable() override { return enhanced; }
    int count = 1;
    bool enhanced = true;
    QString asked;
};
