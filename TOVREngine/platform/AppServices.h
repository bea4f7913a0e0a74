#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"
#include "platform/ProcessRunning.h"

#include <memory>

namespace tovr {

// The injected services every screen and worker uses. Copies share the service objects.
struct AppServices {
    std::shared_ptr<ProcessRunning> processRunner;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<KeyValueStoring> store;
    bool isFixtureMode = false;

    // The one live bundle, built on first use (safe under concurrent first use).
    static AppServices live();
};

} // namespace tovr
