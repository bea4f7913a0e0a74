#include "shell/RootModel.h"

#include "model/ProductConfig.h"
#include "platform/ShellRunner.h"
#include "platform/SystemProfiler.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"

namespace tovr {

QString consentKey() {
    return ProductConfig::current().userDefaultsPrefix + QStringLiteral(".consented");
}

RootModel::RootModel(ScreenContext context, QObject* parent)
    : QObject(parent), context_(std::move(context)) {
    hasConsented_ =
        context_.userDefaults && context_.userDefaults->boolean(consentKey()).value_or(false);
}

RootModel::~RootModel() {
    for (const auto& task : {profiling_, reading_})
        if (task)
            task->cancel();
}

void RootModel::acceptConsent() {
    if (hasConsented_)
        return;
    hasConsented_ = true;
    Q_EMIT changed();
}

void RootModel::startupTask() {
    if (std::exchange(startupStarted_, true))
        return;
    readLocations();
    if (!context_.currentProfile() && !context_.services.isFixtureMode) {
        const SystemProfiler profiler{ShellRunner{context_.services.processRunner},
                                      context_.services.fs, context_.environment};
        profiling_ = runInBackground(
            this, [profiler](WorkerTask&) { return profiler.profile(); },
            [this](SystemProfile profile) {
                profiling_.reset();
                if (context_.profile)
                    context_.profile->set(profile);
                sendUsageEvent(appLaunchedEvent(profile));
            });
        return;
    }
    sendUsageEvent(appLaunchedEvent(context_.currentProfile()));
}

void RootModel::readLocations() {
    if (!context_.locations)
        return;
    const auto source = context_.services.toolLocations;
    if (!source) {
        context_.locations->set(ToolLocations{});
        return;
    }
    // The read runs on a worker of its own from now on; this one only waits for its end.
    source->start();
    reading_ = runInBackground(
        this, [source](WorkerTask&) { return source->get(); },
        [this](ToolLocations locations) {
            reading_.reset();
            if (context_.locations)
                context_.locations->set(std::move(locations));
        });
}

} // namespace tovr
