#pragma once

#include "listmgr/LinuxCncSettings.h"
#include "listmgr/ListManagerJournal.h"
#include "platform/LineChannel.h"

#include <QObject>
#include <QTimer>

#include <memory>

class LinuxCncControl;

// "Test the connection": one attempt to reach linuxcncrsh with the settings given, the
// handshake with both passwords, then one look at the machine. Nothing ever waits: the answer
// comes as Finished, once, at the latest after the time limit. Nothing on the machine is changed.
// The commands go to the journal like every other command sent to LinuxCNC.
class LinuxCncProbe : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Connected, EStop, Refused, Unreachable, WrongPassword, Failed };
    struct Result {
        Outcome outcome = Outcome::Failed;
        QString text; // for the operator: what was found, in words
    };

    // channel: the connection to linuxcncrsh; none: TCP.
    LinuxCncProbe(LinuxCncSettings settings, int limitMs = 10000, std::unique_ptr<LineChannel> channel = nullptr,
                  QObject* parent = nullptr);
    ~LinuxCncProbe() override;

    void Start();

Q_SIGNALS:
    void Finished(const LinuxCncProbe::Result& result);

private:
    void control_Connected();
    void control_Lost(const QString& reason);
    void finish(Outcome outcome, const QString& text);

    LinuxCncSettings settings_;
    int limitMs_;
    std::unique_ptr<LineChannel> channel_;
    ListManagerJournal journal_;
    std::unique_ptr<LinuxCncControl> control_;
    QTimer limit_;
    bool over_ = false;
};
