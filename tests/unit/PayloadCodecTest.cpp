#include "platform/PayloadCodec.h"

#include <gtest/gtest.h>

using Result = PayloadCodec::Result;

TEST(PayloadCodecTest, OutputIsBoundedByTheExpectedLength)
{
    const QByteArray text = QByteArray("G0 X10 Y20\r\n").repeated(100);
    const QByteArray z = PayloadCodec::Deflate(text);
    QByteArray out;
    EXPECT_EQ(PayloadCodec::Inflate(z, text.size(), out), Result::Ok);
    EXPECT_EQ(out, text);

    EXPECT_EQ(PayloadCodec::Inflate(z, text.size() - 1, out), Result::TooLong);
    EXPECT_EQ(out.size(), text.size() - 1);
    EXPECT_EQ(PayloadCodec::Inflate(z, text.size() + 1, out), Result::TooShort);
    EXPECT_EQ(out, text);
    EXPECT_EQ(PayloadCodec::Inflate(z, 0, out), Result::TooLong);
    EXPECT_TRUE(out.isEmpty());
}

TEST(PayloadCodecTest, DamagedStreamsAreTold)
{
    const QByteArray text = QByteArray("N10 G1 X1.5 Y2.5 F300\n").repeated(50);
    const QByteArray z = PayloadCodec::Deflate(text);
    QByteArray out;
    EXPECT_EQ(PayloadCodec::Inflate(z.left(z.size() - 6), text.size(), out), Result::Truncated);
    EXPECT_EQ(PayloadCodec::Inflate(QByteArray(), text.size(), out), Result::Truncated);
    EXPECT_EQ(PayloadCodec::Inflate("not zlib at all", text.size(), out), Result::Corrupt);

    QByteArray badChecksum = z;
    badChecksum[badChecksum.size() - 1] = static_cast<char>(badChecksum.back() ^ 0x55);
    EXPECT_EQ(PayloadCodec::Inflate(badChecksum, text.size(), out), Result::Corrupt);

    // What follows the end of the stream (a scanner's line end) does not matter.
    EXPECT_EQ(PayloadCodec::Inflate(z + "\r", text.size(), out), Result::Ok);
}
