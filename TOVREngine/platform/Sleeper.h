#pragma once

#include "platform/WorkerTask.h"

#include <chrono>
#include <functional>

namespace tovr {

// A worker's pause. Tests inject one that returns at once.
using Sleeper = std::function<void(std::chrono::nanoseconds, WorkerTask&)>;

// The pause of a live run: waits on the task, so a cancel ends it early.
inline void taskSleep(const Sleeper& sleeper, std::chrono::nanoseconds duration, WorkerTask& task) {
    if (sleeper)
        sleeper(duration, task);
    else
        task.sleepFor(duration);
}

} // namespace tovr
