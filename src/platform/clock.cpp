#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace {
std::atomic<bool> pinned{false};
std::atomic<std::int64_t> pinnedInstant{0};
}

std::int64_t Now()
{
    if (pinned.load())
        return pinnedInstant.load();
    return static_cast<std::int64_t>(std::time(nullptr));
}

void PinClock(std::int64_t instant)
{
    pinnedInstant.store(instant);
    pinned.store(true);
}

void UnpinClock()
{
    pinned.store(false);
}
