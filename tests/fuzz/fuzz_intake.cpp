// The scan intake fed with bursts and ticks, with the whole scan processing behind it on an
// embedded list manager in a temporary folder. The first byte chooses the scanner's suffix
// (none, CR, LF, CR LF, Tab); with one, each burst is drained at once as the station does. Each
// following control byte says how many of the next bytes
// arrive as one burst (low six bits) and how many ticks of 100 ms follow it (high two bits); 0xFF
// unplugs the scanner or plugs it back in. Bursts are stamped with the time of the tick they
// follow, so the silences between them cut scans as they would on the line. Afterwards, enough
// silent ticks must empty the intake, and the work list saved must read back as the same lines.
#include "app/ScanIntake.h"
#include "FuzzEnvironment.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/LinuxCncLine.h"
#include "support/ScanRig.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
// One station per input, so that nothing of one input's scans carries over into the next.
struct Station {
    ScanRig rig{[] { return std::make_shared<EmbeddedListManager>(); }};
    ScanIntake intake{rig.port, rig.state, *rig.processing, rig.processing->History()};
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzEnvironment::Get();
    Station station;
    FakeSerialPort& port = station.rig.port;
    ScanIntake& intake = station.intake;
    constexpr int tickMs = 100;
    intake.SetTickInterval(tickMs);
    if (size == 0)
        return 0;
    const QList<ScanSuffix::Kind> suffixes = ScanSuffix::All();
    intake.SetSuffix(ScanSuffix(suffixes[data[0] % suffixes.size()]));
    size_t i = 1;
    while (i < size) {
        const uint8_t control = data[i++];
        if (control == 0xFF) {
            if (port.open) {
                port.Unplug();
            } else {
                port.available = true;
                port.SetPortOpen(true);
            }
            continue;
        }
        const size_t length = std::min<size_t>(control & 0x3F, size - i);
        port.Receive(QString::fromLatin1(reinterpret_cast<const char*>(data + i), static_cast<qsizetype>(length)));
        i += length;
        intake.Drain();
        for (int tick = 0; tick < control >> 6; ++tick) {
            intake.Timer1_Timer();
            port.nowMs += tickMs;
        }
    }

    if (!port.open) {
        port.available = true;
        port.SetPortOpen(true);
    }
    // Each scan left over needs two silent ticks, and each leftover is at least one character shorter.
    for (size_t tick = 0; tick < 2 * size + 4; ++tick) {
        intake.Timer1_Timer();
        port.nowMs += tickMs;
    }
    if (!intake.PendingScan().isEmpty() || intake.Processing())
        FuzzFailure("silent ticks did not empty the intake");

    const auto* server = dynamic_cast<const EmbeddedListManager*>(station.rig.server.get());
    const EmbeddedListManager again; // reads the lines saved back into their fields
    if (!server || again.Lines() != server->Lines())
        FuzzFailure("the saved work list did not read back as it was saved");
    for (const WorkList::Entry& entry : again.List().Entries())
        (void)LinuxCncLine(entry.fields).Refusal();
    return 0;
}
