#pragma once

#include "listmgr/LinuxCncClient.h"
#include "listmgr/LinuxCncSettings.h"
#include "listmgr/WorkListRunner.h"

#include <memory>

class LineChannel;

// The list manager that has LinuxCNC run the work list ([ListManager] Server=LinuxCNC): the
// work-list runner with LinuxCNC, reached through linuxcncrsh, as its machine control.
class LinuxCncListManager : public WorkListRunner {
    Q_OBJECT
public:
    struct Timing {
        LinuxCncClient::Timing client;
        int watchPollMs = 40;    // while a program runs: how soon its end is seen
        int idlePollMs = 500;    // the machine's state for the window and for Start
        int setpointPollMs = 100;
        int heartbeatPolls = 50; // a set every so many watch polls: a LinuxCNC that died answers no set
        int unprovenIdlePolls = 10; // idle answers after "set run", the program never seen at work, before it is unknown
        qint64 setpointLimitMs = 10 * 60 * 1000;
    };

    // Over TCP. Connecting starts at once.
    explicit LinuxCncListManager(LinuxCncSettings settings);
    // channel: the connection to linuxcncrsh (tests give a scripted one).
    LinuxCncListManager(LinuxCncSettings settings, std::unique_ptr<LineChannel> channel, Timing timing);
};
