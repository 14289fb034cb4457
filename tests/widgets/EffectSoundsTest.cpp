#include "platform/windows/EffectSounds.h"
#include "support/EventWait.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

// The three sounds are in the resources as WAV files, and playing them never fails nor floods
// the log: where there is no sound device (as on a build machine) it says so once and stays
// silent.
TEST(EffectSoundsTest, TheSoundsAreBuiltInAndAMissingDeviceIsToldOnce)
{
    for (const char* name : {":/sounds/refusal.wav", ":/sounds/doubt.wav", ":/sounds/fault.wav"}) {
        QFile file{QString::fromLatin1(name)};
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(file.read(12).startsWith("RIFF")) << name;
    }
    TestEnvironment env;
    EffectSounds sounds;
    for (int round = 0; round < 2; ++round) {
        for (Sounds::Cue cue : {Sounds::Cue::Refusal, Sounds::Cue::Doubt, Sounds::Cue::MachineFault})
            sounds.Play(cue);
    }
    EventWait::Until([] { return false; }, 500); // a device that fails says so while loading
    EXPECT_LE(env.LogLines().filter("sounds are silent").size(), 1);
}
