#include "platform/QtSerialPort.h"
#include "program/PayloadExpander.h"
#include "station/StationState.h"
#include "support/EventWait.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()>& condition)
{
    return EventWait::Until(condition, 4000);
}

// The virtual scanner as Tarvex sees it: through [Ports] and the real port layer.
TEST(VirtualScannerToolTest, SendsEachLineAsOneScanAndPrintsTheReplies)
{
    TestEnvironment env;
    const QString link = env.Root() + "/scanner";
    QProcess tool;
    tool.start(TARVEX_SCANNER, {"--link", link, "--gap", "300", "--linger", "300"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return tool.canReadLine(); }));
    const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith("/dev/"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    QtSerialPort port;
    port.SetConfigFile(env.Write(env.Root() + "/ZEM.INI", "[Ports]\nCOM1=" + link.toLocal8Bit() + "\n"));
    port.SetCommPort(1);
    port.SetSettings("9600,N,8,1");
    port.SetPortOpen(true);

    tool.write("A\\\\B\\x41\\r\\xf1\\q\r\nSECOND\n");
    QString received;
    ASSERT_TRUE(waitFor([&] {
        received += port.Input();
        return received.size() >= 14;
    }));
    EXPECT_EQ(received, QString("A\\BA\r") + QChar(241) + "\\qSECOND");

    port.Output("ACK\r");
    ASSERT_TRUE(waitFor([&] { return tool.canReadLine(); }));
    EXPECT_EQ(tool.readLine(), QByteArray("ACK\\r\n"));

    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
    EXPECT_TRUE(waitFor([&] { return port.Lost(); }));
}

// Program barcodes and compressed payloads from the command line, in the order given, then the
// lines of --file; the payload is exactly what Tarvex expands.
TEST(VirtualScannerToolTest, MakesProgramBarcodesAndCompressedPayloadsFromTextsAndFiles)
{
    TestEnvironment env;
    const QByteArray program = "G71 X600 Y400 Z20\r\n(TABLE \\ TOP)\r\nM30\r\n";
    const QString programFile = env.Write(env.Root() + "/P1.CNC", program);
    const QString lines = env.Write(env.Root() + "/lines.txt", "%END%\n");
    const QString link = env.Root() + "/scanner";
    QProcess tool;
    tool.start(TARVEX_SCANNER, {"--link", link, "--gap", "50", "--linger", "100", "--wait", "500", "--file", lines,
                                "--program", "P1^X100^UN", "--send-file", programFile, "--compress", "--send-text",
                                "A\\x41", "--program", "P2", "--compress", "--send-file", programFile});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return tool.canReadLine(); }));
    tool.readLine();

    QtSerialPort port;
    port.SetConfigFile(env.Write(env.Root() + "/ZEM.INI", "[Ports]\nCOM1=" + link.toLocal8Bit() + "\n"));
    port.SetCommPort(1);
    port.SetSettings("9600,N,8,1");
    port.SetPortOpen(true);

    const QByteArray first = "P1^X100^UN!" + program;
    const QByteArray second = PayloadExpander::MakeScan("AA");
    const QByteArray third = PayloadExpander::MakeScan("P2^!" + program);
    const QByteArray expected = first + second + third + "%END%";
    QByteArray received;
    waitFor([&] {
        received += port.Input().toLatin1();
        return received.size() >= expected.size();
    });
    EXPECT_EQ(received, expected);

    StationState state;
    PayloadExpander expander(state);
    QString scan = QString::fromLatin1(third);
    EXPECT_EQ(expander.ExpandPayload(scan), QString::fromLatin1("P2^!" + program));
    ASSERT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST(VirtualScannerToolTest, RefusesScansItCannotMake)
{
    TestEnvironment env;
    const QString big = env.Write(env.Root() + "/big", QByteArray(100000, 'x'));
    const QList<QStringList> refused = {
        {"--program", "P1!", "--send-text", "G71"},          // "!" would end the header early
        {"--compress", "--send-file", big},                    // longer than the length field
        {"--send-file", env.Root() + "/missing"},
        {"--send-text", "A", "--compress"},                    // nothing follows the modifier
    };
    for (const QStringList& arguments : refused) {
        QProcess tool;
        tool.start(TARVEX_SCANNER, arguments);
        ASSERT_TRUE(tool.waitForFinished(5000));
        EXPECT_EQ(tool.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(tool.readAllStandardOutput().isEmpty()); // no device opened
        EXPECT_TRUE(tool.readAllStandardError().startsWith("tarvex-scanner: "));
    }
}

} // namespace
