#include "LinuxCncSim.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
// One LinuxCNC for the whole program: starting one takes seconds, and one runs at a time.
class LinuxCncEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        if (!LinuxCncSim::Instance().Start())
            fprintf(stderr, "the LinuxCNC simulation did not start (is linuxcnc-uspace installed?)\n");
    }
    void TearDown() override { LinuxCncSim::Instance().Stop(); }
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    Log::SetEcho(false);
    testing::AddGlobalTestEnvironment(new LinuxCncEnvironment);
    return RUN_ALL_TESTS();
}
