#include "support/ScanRig.h"

ScanRig::ScanRig(const std::function<std::shared_ptr<ListManager>()>& makeServer)
{
    env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n");
    config.LoadSettings(state);
    config.GCodePath = "C:\\PRODUCT\\";
    config.ListPath = "C:\\LISTS\\";
    config.CSVInPath = "C:\\CSV";
    config.CSVOutPath = "C:\\OUT\\Tarvex.csv";
    codes.InitFieldCodeTable();
    if (makeServer) {
        server = makeServer();
    } else {
        recorder = std::make_shared<FakeListManager>();
        server = recorder;
    }
    factory.server = server;
    link.ListApp = server;
    link.ExeListObject = server;
    port.SetPortOpen(true);
    processing = std::make_unique<ScanProcessing>(
        ScanProcessing::Services{config, run, state, boxes, pauser, link, codes, port});
}

QString ScanRig::OnDriveC(const QString& relative) const
{
    return env.DataFolder() + "/drive_c/" + relative;
}

QString ScanRig::WriteProgram(const QString& name, const QByteArray& content) const
{
    return env.Write(OnDriveC("PRODUCT/" + name), content);
}

QStringList ScanRig::Lines() const
{
    QStringList lines;
    for (const QString& call : recorder->calls) {
        if (call.startsWith("AddLine "))
            lines << call.mid(8);
    }
    return lines;
}
