#include "platform/TcpLineChannel.h"
#include "support/EventWait.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The channel against a real peer on the loopback interface.
class TcpLineChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        bool opened = false;
        QObject::connect(&channel, &LineChannel::Opened, [&] { opened = true; });
        channel.Open("127.0.0.1", server.serverPort());
        ASSERT_TRUE(EventWait::Until([&] { return opened && server.hasPendingConnections(); }));
        peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] { got += peer->readAll(); });
    }

    QTcpServer server;
    TcpLineChannel channel;
    QTcpSocket* peer = nullptr;
    QByteArray got;
};

TEST_F(TcpLineChannelTest, ALineHoldingAControlCharacterIsNeverWrittenNorAnyOfItsBatch)
{
    const struct {
        QList<QByteArray> lines;
        qsizetype refused;
    } cases[] = {
        // A lone carriage return is a line end to linuxcncrsh: one command would become three.
        {{"set open /cnc/P1.NGC\rset mode mdi\rset mdi G0 X7 Y3"}, 0},
        {{"get estop", "set mdi G0 X7\n"}, 1},
        {{QByteArray("hello EMC\0set mdi G0 X7", 23)}, 0},
        {{"set open /cnc/\x1b[2J.NGC"}, 0},
        {{"set open /cnc/P1\x7f.NGC"}, 0},
        {{"set open /cnc/P1\t.NGC"}, 0},
        {{"get estop", "get machine"}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(channel.Send(c.lines), c.refused) << c.lines.join('|').toStdString();
    EXPECT_EQ(LineChannel::ControlCharacter("P1.NGC\rset"), "\\x0D");
    EXPECT_EQ(LineChannel::ControlCharacter("P1 Ü.NGC"), "");

    ASSERT_TRUE(EventWait::Until([&] { return got.endsWith("get machine\r\n"); }));
    EXPECT_EQ(got, "get estop\r\nget machine\r\n");
}

TEST_F(TcpLineChannelTest, AFloodIsReadInSlicesWithTheEventLoopTurningBetween)
{
    constexpr int flood = 300000;
    QByteArray lines;
    for (int i = 0; i < flood; ++i)
        lines += "PROGRAM_STATUS IDLE " + QByteArray::number(i) + "\r\n";
    int inTurn = 0;
    int mostInTurn = 0;
    int received = 0;
    QByteArray last;
    QObject::connect(&channel, &LineChannel::LineReceived, [&](const QByteArray& line) {
        ++received;
        last = line;
        mostInTurn = std::max(mostInTurn, ++inTurn);
    });
    // Fires on every turn of the event loop.
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] { inTurn = 0; });
    turn.start(0);
    peer->write(lines);
    ASSERT_TRUE(EventWait::Until([&] { return received == flood; }, 60000)) << received;
    EXPECT_EQ(last, "PROGRAM_STATUS IDLE " + QByteArray::number(flood - 1));
    EXPECT_LE(mostInTurn, TcpLineChannel::MaxLinesPerSlice);
}

} // namespace
