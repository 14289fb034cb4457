#pragma once

#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListManagerLink.h"
#include "scan/ScanProcessing.h"
#include "station/RunState.h"
#include "station/StationState.h"
#include "support/FakeClock.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/QtPrinters.h"
#include "support/StatusRecorder.h"
#include "support/TestEnvironment.h"

#include <functional>
#include <memory>

// The whole scan processing on fakes, in a temporary environment: programs under C:\PRODUCT\,
// list files under C:\LISTS\, companions under C:\CSV, the collecting file C:\OUT\Tarvex.csv,
// an empty ZEM.INI, the scanner's port open and a recording list manager connected.
class ScanRig {
public:
    // makeServer builds the list manager once the temporary environment is in place; none: a
    // recording FakeListManager.
    explicit ScanRig(const std::function<std::shared_ptr<ListManager>()>& makeServer = {});

    // The native path of a Windows path below C:\.
    QString OnDriveC(const QString& relative) const;
    QString WriteProgram(const QString& name, const QByteArray& content) const;
    // The lines sent with AddLine, in order (recording server only).
    QStringList Lines() const;

    TestEnvironment env;
    FakeMessageBoxes boxes;
    InstantPauser pauser;
    StationState state;
    StatusRecorder statuses{state};
    FakeSerialPort port;
    Configuration config{boxes};
    RunState run;
    FieldCodeTable codes;
    std::shared_ptr<FakeListManager> recorder;
    std::shared_ptr<ListManager> server;
    FakeListManagerFactory factory;
    FakeClock clock;
    ListManagerLink link{factory, clock};
    std::unique_ptr<ScanProcessing> processing;
};
