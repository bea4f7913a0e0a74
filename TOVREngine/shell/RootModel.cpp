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
    if (profiling_)
        profiling_->cancel();
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

} // namespace tovr
