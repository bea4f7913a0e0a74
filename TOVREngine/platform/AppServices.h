#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"
#include "platform/ProcessRunning.h"
#include "platform/ToolLocations.h"

#include <memory>

namespace tovr {

// The injected services every screen and worker uses. Copies share the service objects.
struct AppServices {
    std::shared_ptr<ProcessRunning> processRunner;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<KeyValueStoring> store;
    bool isFixtureMode = false;
    // Where the tools keep their files, read once through the login shell; null: the usual
    // places.
    std::shared_ptr<ToolLocationsSource> toolLocations = nullptr;

    // The one live bundle, built on first use (safe under concurrent first use).
    static AppServices live();
};

} // namespace tovr
