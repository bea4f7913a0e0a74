#include "platform/AppServices.h"

#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/LiveProcessRunner.h"

namespace tovr {

AppServices AppServices::live() {
    // A function-local static: built once, and safely, however many threads ask first.
    static const AppServices bundle = [] {
        AppServices services;
        services.processRunner = std::make_shared<LiveProcessRunner>();
        services.http = std::make_shared<LiveHTTPFetcher>();
        services.fs = std::make_shared<LiveFileSystem>();
        services.store = std::make_shared<LiveKeyValueStore>();
        services.toolLocations = ToolLocationsSource::loginShell(services.processRunner);
        services.isFixtureMode = false;
        return services;
    }();
    return bundle;
}

} // namespace tovr
