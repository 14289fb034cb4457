#include "platform/Log.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    Log::SetEcho(false);
    return RUN_ALL_TESTS();
}
