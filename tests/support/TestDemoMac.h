#pragma once

#include "demo/DemoMac.h"

#include <chrono>

namespace tovr::test {

// The demo Mac for tests: install lines as fast as `lineDelay` allows.
inline DemoMac::Options testDemoOptions(std::chrono::milliseconds lineDelay = {}) {
    DemoMac::Options options;
    options.pace.lineDelay = lineDelay;
    return options;
}

} // namespace tovr::test
