#pragma once

#include "demo/DemoMac.h"

#include <chrono>

namespace tovr::test {

// The demo Mac for tests: its user defaults in a folder of its own (never the user's), and
// install lines as fast as `lineDelay` allows.
inline DemoMac::Options testDemoOptions(std::chrono::milliseconds lineDelay = {}) {
    DemoMac::Options options;
    options.privateDefaults = true;
    options.pace.lineDelay = lineDelay;
    return options;
}

} // namespace tovr::test
