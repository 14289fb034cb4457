#include "listmgr/LinuxCncListManager.h"

#include "listmgr/LinuxCncControl.h"
#include "platform/Log.h"
#include "platform/TcpLineChannel.h"

#include <utility>

namespace {
WorkListRunner::Timing runnerTiming(const LinuxCncListManager::Timing& timing)
{
    WorkListRunner::Timing t;
    t.watchPollMs = timing.watchPollMs;
    t.idlePollMs = timing.idlePollMs;
    t.setpointPollMs = timing.setpointPollMs;
    t.unprovenIdlePolls = timing.unprovenIdlePolls;
    t.setpointLimitMs = timing.setpointLimitMs;
    return t;
}
} // namespace

LinuxCncListManager::LinuxCncListManager(LinuxCncSettings settings)
    : LinuxCncListManager(std::move(settings), std::make_unique<TcpLineChannel>(), Timing())
{
}

LinuxCncListManager::LinuxCncListManager(LinuxCncSettings settings, std::unique_ptr<LineChannel> channel, Timing timing)
    : WorkListRunner(
          [&settings, &channel, timing](ListManagerJournal& journal) {
              Log::Info(QStringLiteral("list manager: LinuxCNC at %1, programs from %2").arg(settings.Endpoint(), settings.programFolder));
              return std::make_unique<LinuxCncControl>(std::move(channel), std::move(settings), journal,
                                                       LinuxCncControl::Timing{timing.client, timing.heartbeatPolls});
          },
          runnerTiming(timing))
{
}
