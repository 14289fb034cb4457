#include "listmgr/ListManagerLink.h"
#include "platform/RuntimeError.h"
#include "support/FakeClock.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every look at the clock is one second later, so the 30-second bound comes without waiting.
class ListManagerLinkTest : public testing::Test {
protected:
    ListManagerLink::Outcome connect() { return link.Connect(pauser, boxes); }

    TestEnvironment env;
    std::shared_ptr<FakeListManager> server = std::make_shared<FakeListManager>();
    FakeListManagerFactory factory{server};
    FakeClock clock;
    ListManagerLink link{factory, clock};
    FakeMessageBoxes boxes;
    InstantPauser pauser;
};

TEST_F(ListManagerLinkTest, AsksUntilTheWorkListIsHandedOut)
{
    server->listFromAttempt = 3;
    EXPECT_EQ(connect(), ListManagerLink::Outcome::Connected);
    EXPECT_EQ(server->newListCalls, 3);
    EXPECT_EQ(factory.created, 1);
    EXPECT_EQ(link.ExeListObject, server);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ListManagerLinkTest, TheWaitIsBoundedAndTheOperatorChooses)
{
    server->listFromAttempt = 0;
    boxes.answers = {MessageBoxes::Answer::Retry, MessageBoxes::Answer::Continue};
    EXPECT_EQ(connect(), ListManagerLink::Outcome::WithoutListManager);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text, ListManagerLink::WaitText);
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxes::Buttons::RetryContinueExit);
    // Retry waits the whole time again: about 30 attempts before each question.
    EXPECT_GE(server->newListCalls, 50);
    EXPECT_LE(server->newListCalls, 62);
    EXPECT_FALSE(link.HasWorkList());
    EXPECT_EQ(link.ListApp, nullptr); // as with "NOAPP": nothing is held

    ListManagerLink other{factory, clock};
    boxes.answers = {MessageBoxes::Answer::Exit};
    EXPECT_EQ(other.Connect(pauser, boxes), ListManagerLink::Outcome::Exit);
}

TEST_F(ListManagerLinkTest, EveryFailedAttemptIsReportedAndTheWaitGoesOn)
{
    factory.failures = 2;
    EXPECT_EQ(connect(), ListManagerLink::Outcome::Connected);
    EXPECT_EQ(boxes.Texts(), QStringList({"Unexpected error #429 occured: ActiveX component can't create object",
                                          "Unexpected error #429 occured: ActiveX component can't create object"}));
}

TEST_F(ListManagerLinkTest, ShutdownDropsTheFallbackAndTheApplicationOnly)
{
    EXPECT_EQ(connect(), ListManagerLink::Outcome::Connected);
    link.CreateFallbackExeList();
    EXPECT_EQ(link.FallbackExeList, server);
    link.Shutdown();
    EXPECT_EQ(link.FallbackExeList, nullptr);
    EXPECT_EQ(link.ListApp, nullptr);
    EXPECT_EQ(link.ExeListObject, server);
}

} // namespace
