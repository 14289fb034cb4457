#include "app/ScanIntake.h"
#include "platform/MessageBoxes.h"
#include "scan/ScanConsumers.h"
#include "station/ScanHistory.h"
#include "station/StationState.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Records every call; hooks let a test act while a consumer is "running".
class RecordingConsumers : public ScanConsumers {
public:
    bool DispatchLabel(QString label) override
    {
        calls << QStringLiteral("label:") + label;
        if (onLabel)
            onLabel(label);
        return accept;
    }
    void HandleProgramScan(QString& scan) override { calls << QStringLiteral("program:") + scan; }
    QString ExpandPayload(QString& scan) override
    {
        calls << QStringLiteral("payload:") + scan;
        return expanded;
    }
    QString PayloadDropReason() const override { return dropReason; }
    QStringList calls;
    QString expanded;
    QString dropReason;
    bool accept = true;
    std::function<void(const QString&)> onLabel;
};

class ScanIntakeTest : public testing::Test {
protected:
    ScanIntakeTest() { port.open = true; }

    // Characters arrive, then the port stays silent for the two ticks that end the scan.
    void scan(const QString& text)
    {
        port.Receive(text);
        ticks(3);
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            intake.Timer1_Timer();
    }

    TestEnvironment env;
    FakeSerialPort port;
    StationState state;
    RecordingConsumers consumers;
    ScanHistory history;
    ScanIntake intake{port, state, consumers, history};
};

TEST_F(ScanIntakeTest, CharactersOnEveryTickKeepTheScanOpenUntilTwoSilentTicks)
{
    for (const char* piece : {"AB", "C", "D"}) {
        port.Receive(QString::fromLatin1(piece));
        intake.Timer1_Timer();
        EXPECT_EQ(intake.PendingIdleTicks(), 0);
        EXPECT_TRUE(state.ActivityShown());
    }
    EXPECT_EQ(state.ActivityMark(), "D");
    intake.Timer1_Timer();
    EXPECT_TRUE(consumers.calls.isEmpty());
    EXPECT_EQ(intake.PendingIdleTicks(), 1);
    intake.Timer1_Timer();
    EXPECT_EQ(consumers.calls, QStringList{"label:ABCD"});
    EXPECT_FALSE(state.ActivityShown());
    EXPECT_EQ(state.Status(), "Reading Barcode-Label.ABCD");

    // Silence with nothing received counts nothing.
    ticks(5);
    EXPECT_EQ(intake.PendingIdleTicks(), 0);
    EXPECT_EQ(consumers.calls.size(), 1);
}

TEST_F(ScanIntakeTest, ClosedPortIsNotRead)
{
    port.open = false;
    scan("ABC");
    EXPECT_TRUE(consumers.calls.isEmpty());
    EXPECT_EQ(port.Pending(), "ABC");
}

TEST_F(ScanIntakeTest, ApostropheFraming)
{
    scan("'ABC$XYZ");
    EXPECT_EQ(consumers.calls, (QStringList{"label:%N%", "label:ABC"}));

    consumers.calls.clear();
    scan("'$ABC");
    EXPECT_TRUE(consumers.calls.isEmpty());
    EXPECT_TRUE(intake.PendingScan().isEmpty());

    // Without a dollar the apostrophe is part of the label.
    scan("'ABC");
    EXPECT_EQ(consumers.calls, QStringList{"label:'ABC"});
}

TEST_F(ScanIntakeTest, ExclamationIsASpaceAndPercentSplitsTheBurst)
{
    scan("AB!CD%EF%");
    EXPECT_EQ(consumers.calls, QStringList{"label:AB CD%"});
    EXPECT_EQ(intake.PendingScan(), "EF%");
    intake.Timer1_Timer();
    EXPECT_EQ(consumers.calls.size(), 1);
    intake.Timer1_Timer();
    EXPECT_EQ(consumers.calls, (QStringList{"label:AB CD%", "label:EF%"}));

    consumers.calls.clear();
    scan("%START%");
    EXPECT_EQ(consumers.calls, QStringList{"label:%START%"});
}

TEST_F(ScanIntakeTest, InputArrivingJustBeforeALabelIsDispatchedIsDiscarded)
{
    // The status line is set right before the port's buffer is cleared: characters that come
    // at that moment belong to no scan the intake has seen start.
    QObject::connect(&state, &StationState::StatusChanged, &state, [this](const QString& text) {
        if (text.startsWith("Reading"))
            port.Receive("late");
    });
    scan("P1");
    EXPECT_EQ(consumers.calls, QStringList{"label:P1"});
    EXPECT_EQ(port.discarded, "late");
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(ScanIntakeTest, CaretAnywhereIsAProgramBarcode)
{
    scan("%1A^B%C");
    EXPECT_EQ(consumers.calls, QStringList{"program:%1A^B%C"});
    EXPECT_TRUE(intake.PendingScan().isEmpty());
}

TEST_F(ScanIntakeTest, Character241IsExpandedFirst)
{
    const QString payload = QString(QChar(241)) + "DATA";
    consumers.expanded = "HEAD^BODY";
    scan(payload);
    EXPECT_EQ(consumers.calls, (QStringList{"payload:" + payload, "program:HEAD^BODY"}));

    consumers.calls.clear();
    consumers.expanded = "P1!X";
    scan(payload);
    EXPECT_EQ(consumers.calls, (QStringList{"payload:" + payload, "label:P1 X"}));

    consumers.calls.clear();
    consumers.expanded.clear();
    scan(payload);
    EXPECT_EQ(consumers.calls, QStringList{"payload:" + payload});
    EXPECT_TRUE(intake.PendingScan().isEmpty());
    EXPECT_EQ(intake.PendingIdleTicks(), 0);
}

TEST_F(ScanIntakeTest, ScansAreLoggedWithTheirBytes)
{
    scan(QString(QChar(241)) + "\r");
    const QStringList log = env.LogLines();
    EXPECT_TRUE(log.contains(QString("INFO scan received: ") + QChar(241) + "\\x0D"));
    EXPECT_TRUE(log.contains("INFO scan dropped: the payload expanded to nothing"));
}

TEST_F(ScanIntakeTest, ADroppedPayloadIsRefusedWithTheExpandersReason)
{
    consumers.dropReason = "no valid expanded length";
    state.SetStatus("Something else entirely.");
    scan(QString(QChar(241)) + "00");
    ASSERT_FALSE(history.Entries().isEmpty());
    EXPECT_EQ(history.Entries().front().outcomes, QStringList{"compressed payload dropped: no valid expanded length"});
}

// A consumer shows a message box; while it is open the timer keeps ticking and the scanner
// keeps sending. Nothing is dispatched twice, and what came meanwhile follows, in order.
TEST_F(ScanIntakeTest, TicksDuringAConsumerOnlyCollect)
{
    FakeMessageBoxes boxes;
    boxes.onShow = [this](const FakeMessageBoxes::Shown&) {
        port.Receive("NEXT");
        ticks(3);
        port.Receive("%MORE");
        ticks(4);
    };
    consumers.onLabel = [&](const QString& label) {
        if (label == "FIRST%")
            boxes.Show("Something to confirm", MessageBoxes::Icon::Warning);
    };
    scan("FIRST%REST%");
    EXPECT_EQ(consumers.calls, QStringList{"label:FIRST%"});
    EXPECT_TRUE(intake.PendingScan() == "REST%NEXT%MORE");
    EXPECT_EQ(intake.PendingIdleTicks(), 0);

    ticks(2);
    ticks(2);
    ticks(2);
    EXPECT_EQ(consumers.calls, (QStringList{"label:FIRST%", "label:REST%", "label:NEXT%", "label:MORE"}));
}

TEST_F(ScanIntakeTest, ScansKeepTheBoundariesOfTheirArrivalTimesHoweverLateTheyAreRead)
{
    intake.SetTickInterval(100);
    // P2 and P3 come half a second apart while P1 is being processed (its pauses let them in).
    consumers.onLabel = [&](const QString& label) {
        if (label != "P1%")
            return;
        port.nowMs = 500;
        port.Receive("P2");
        ticks(2);
        port.nowMs = 1000;
        port.Receive("P3");
        ticks(2);
    };
    port.Receive("P1%R");
    ticks(3);
    ticks(6);
    EXPECT_EQ(consumers.calls, (QStringList{"label:P1%", "label:R", "label:P2", "label:P3"}));

    // Two scans read in one tick, late, still are two; a pause shorter than the silence is not a boundary.
    consumers.calls.clear();
    port.nowMs = 5000;
    port.Receive("A1");
    port.nowMs = 5150;
    port.Receive("B1");
    port.nowMs = 5400;
    port.Receive("C1");
    ticks(5);
    EXPECT_EQ(consumers.calls, (QStringList{"label:A1B1", "label:C1"}));
}

TEST_F(ScanIntakeTest, TypedLabelWaitsForTheScanBeingProcessed)
{
    QList<bool> answers;
    consumers.onLabel = [&](const QString& label) {
        if (label == "SCANNED")
            intake.DispatchTyped("TYPED!", [&](bool accepted) { answers << accepted; });
        EXPECT_TRUE(answers.isEmpty());
    };
    scan("SCANNED");
    EXPECT_EQ(consumers.calls, (QStringList{"label:SCANNED", "label:TYPED!"}));
    EXPECT_EQ(answers, QList<bool>{true});

    consumers.accept = false;
    consumers.onLabel = nullptr;
    intake.DispatchTyped("'A$", [&](bool accepted) { answers << accepted; });
    EXPECT_EQ(consumers.calls.last(), "label:'A$");
    EXPECT_EQ(answers, (QList<bool>{true, false}));
}

TEST_F(ScanIntakeTest, AFailureThatEscapesAConsumerDoesNotStopTheIntake)
{
    consumers.onLabel = [](const QString& label) {
        if (label == "BAD")
            throw std::runtime_error("broken");
    };
    scan("BAD");
    EXPECT_EQ(state.Status(), "Scan processing failed: broken");
    scan("GOOD");
    EXPECT_EQ(consumers.calls.last(), "label:GOOD");
}

// A scanner that ends each code with its suffix: the suffix ends the code when it is read, with
// no tick, and is gone before the framing rules; what follows the last suffix waits for its own.
TEST_F(ScanIntakeTest, EachSuffixEndsItsCodesAtOnce)
{
    for (const ScanSuffix::Kind kind : {ScanSuffix::Kind::CR, ScanSuffix::Kind::LF, ScanSuffix::Kind::CRLF, ScanSuffix::Kind::Tab}) {
        const ScanSuffix suffix(kind);
        const QString s = suffix.Characters();
        SCOPED_TRACE(suffix.Value().toStdString());
        ScanHistory fresh;
        ScanIntake intake(port, state, consumers, fresh);
        intake.SetSuffix(suffix);
        consumers.calls.clear();

        // Several codes in one read; a "%" remainder is a code of its own, ready too.
        port.Receive("P1" + s + "%START%" + s + "AB!C%D" + s + "Q");
        intake.Drain();
        EXPECT_EQ(consumers.calls, (QStringList{"label:P1", "label:%START%", "label:AB C%", "label:D"}));
        EXPECT_EQ(intake.PendingScan(), "Q");
        // A code split over reads, its suffix too: the whole suffix ends it, read on its own.
        for (const QString& piece : QStringList{"2"} + s.split(QString(), Qt::SkipEmptyParts)) {
            EXPECT_EQ(consumers.calls.size(), 4);
            port.Receive(piece);
            intake.Drain();
        }
        EXPECT_EQ(consumers.calls.last(), "label:Q2");
        // A read of the suffix alone is nothing at all.
        port.Receive(s);
        intake.Drain();
        for (int i = 0; i < 3; ++i)
            intake.Timer1_Timer();
        EXPECT_EQ(consumers.calls.size(), 5);
        // A code whose suffix never comes still ends at the silence.
        port.Receive("LATE");
        for (int i = 0; i < 3; ++i)
            intake.Timer1_Timer();
        EXPECT_EQ(consumers.calls.last(), "label:LATE");
        // A program barcode carries line ends and tabs: whole, at its silence, without its suffix.
        port.Receive("P9^X1!G0 X1\r\n\tG1 Y2" + s);
        intake.Drain();
        EXPECT_EQ(consumers.calls.size(), 6);
        for (int i = 0; i < 3; ++i)
            intake.Timer1_Timer();
        EXPECT_EQ(consumers.calls.last(), "program:P9^X1!G0 X1\r\n\tG1 Y2");
        // A code that comes while the one before is dispatched is the next code, not noise.
        const QMetaObject::Connection late = QObject::connect(&state, &StationState::StatusChanged, &state, [&](const QString& text) {
            if (text == "Reading Barcode-Label.R1")
                port.Receive("R2" + s);
        });
        port.Receive("R1" + s);
        intake.Drain();
        QObject::disconnect(late);
        intake.Drain();
        EXPECT_EQ(consumers.calls.mid(7), (QStringList{"label:R1", "label:R2"}));
        EXPECT_TRUE(port.discarded.isEmpty());
        EXPECT_FALSE(state.ActivityShown());
    }

    // None, as with no ScanSuffix key: the ticks alone end a scan, and line ends are its text.
    consumers.calls.clear();
    port.Receive("P1\r");
    intake.Drain();
    EXPECT_TRUE(consumers.calls.isEmpty());
    ticks(3);
    EXPECT_EQ(consumers.calls, QStringList{"label:P1\r"});
}

// A scanner's suffix that no setting names arrives as a scan of its own: the history says
// which setting to make, and nothing is dispatched.
TEST_F(ScanIntakeTest, ALineEndAloneSuggestsTheSuffixSetting)
{
    scan("%12P N X %\r");
    EXPECT_EQ(consumers.calls, QStringList{"label:%12P N X %"});
    ticks(2);
    for (const char* alone : {"\n", "\r\n"})
        scan(QString::fromLatin1(alone));
    EXPECT_EQ(consumers.calls.size(), 1);
    ASSERT_EQ(history.Entries().size(), 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(history.Entries()[i].mark, ScanHistory::Mark::Refused);
        EXPECT_TRUE(history.Entries()[i].outcomes.join(' ').contains("\"The scanner ends each code with\" in Options > Settings"));
    }
    EXPECT_TRUE(state.Status().contains("The scanner ends each code with"));
}

} // namespace
