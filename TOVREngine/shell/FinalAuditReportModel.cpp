#include "shell/FinalAuditReportModel.h"

#include "platform/SystemProfiler.h"
#include "ui/BackgroundCall.h"

namespace tovr {

FinalAuditReportModel::FinalAuditReportModel(ScreenContext context, SystemProfile initialProfile,
                                             std::function<void()> onDone, QObject* parent)
    : QObject(parent), context_(std::move(context)), initialProfile_(std::move(initialProfile)),
      onDone_(std::move(onDone)), card_(ProductConfig::current(), context_.userDefaults.get()) {}

FinalAuditReportModel::~FinalAuditReportModel() {
    if (profiling_)
        profiling_->cancel();
}

void FinalAuditReportModel::setInitialProfile(const SystemProfile& profile) {
    if (profile == initialProfile_)
        return;
    initialProfile_ = profile;
    if (!freshProfile_)
        Q_EMIT changed();
}

QList<FinalAuditReportModel::Row> FinalAuditReportModel::checklist(const SystemProfile& profile) {
    const auto tool = [](bool installed, const QString& name) {
        return Row{installed ? Mark::installed : Mark::missing,
                   name + (installed ? QStringLiteral("installed") : QStringLiteral("missing"))};
    };
    return {
        tool(profile.hasCommandLineTools(), QStringLiteral("Xcode Command Line Tools ")),
        tool(profile.hasHomebrew(), QStringLiteral("Homebrew ")),
        profile.terminals.warp
            ? Row{Mark::installed, QStringLiteral("Warp installed")}
            : Row{Mark::recommended, QString::fromUtf8("Try Warp \u2014 we recommend it")},
    };
}

void FinalAuditReportModel::cardSubmitted() {
    if (!card_.showsCard())
        return;
    card_.cardSubmitted();
    Q_EMIT changed();
}

void FinalAuditReportModel::appearTask() {
    if (freshProfile_ || profiling_ || context_.services.isFixtureMode)
        return;
    const SystemProfiler profiler{ShellRunner{context_.services.processRunner},
                                  context_.services.fs, context_.environment};
    profiling_ = runInBackground(
        this, [profiler](WorkerTask&) { return profiler.profile(); },
        [this](SystemProfile profile) {
            profiling_.reset();
            freshProfile_ = std::move(profile);
            Q_EMIT changed();
        });
}

void FinalAuditReportModel::finish() {
    card_.leaving();
    if (onDone_)
        onDone_();
}

} // namespace tovr
