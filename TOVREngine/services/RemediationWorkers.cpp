#include "services/RemediationWorkers.h"

#include "platform/Probes.h"
#include "platform/ShellRunner.h"
#include "platform/TaskLatches.h"
#include "services/BrewRunner.h"
#include "services/HomebrewInstaller.h"
#include "services/JEnvRunner.h"
#include "services/MiseRunner.h"
#include "services/SDKMANRunner.h"

namespace tovr {

namespace {

class LiveRemediationWorkers final : public RemediationWorkers {
public:
    explicit LiveRemediationWorkers(AppServices services) : s_(std::move(services)) {}

    EventStream<StreamEvent> installCask(const QString& brewPath, const QString& cask,
                                         const QString& prompt) const override {
        const BrewRunner runner{brewPath,
                                s_.processRunner,
                                s_.http,
                                s_.fs,
                                PrivilegedExecutor{s_.fs, nullptr},
                                AdoptiumAPI{s_.http},
                                {}};
        return runner.installCask(cask, prompt, BrewRunner::CaskRecoveryPolicy::none());
    }

    EventStream<StreamEvent> installHomebrew() const override {
        HomebrewInstaller installer{s_.processRunner, s_.fs, PrivilegedExecutor{s_.fs, nullptr},
                                    s_.http};
        installer.locations = toolLocationsOf(s_.toolLocations);
        return installer.install();
    }

    EventStream<StreamEvent> runSDKMAN(const QStringList& words) const override {
        return SDKMANRunner{home() + QStringLiteral("/.sdkman"), shell(), s_.fs}.run(words);
    }

    EventStream<StreamEvent> miseInstallJava(const QString& version) const override {
        return mise().installJava(version);
    }

    EventStream<StreamEvent> miseUseGlobalJava(const QString& version) const override {
        return mise().useGlobalJava(version);
    }

    EventStream<StreamEvent> jenvSetGlobal(const QString& jdkPath, qint64 major) const override {
        return jenv().setGlobal(jdkPath, major);
    }

    EventStream<PKGInstaller::Event> installPKG(qint64 major,
                                                const QString& prompt) const override {
        const PKGInstaller installer{s_.processRunner, s_.http, s_.fs, AdoptiumAPI{s_.http}, {}};
        return installer.install(major, prompt);
    }

    QStringList missingMiseActivation() const override { return mise().ensureShellActivation(); }
    QStringList missingJEnvInit() const override { return jenv().ensureShellInit(); }

    QList<JDKInfo> installedJDKs(WorkerTask& task) const override {
        return Probes{shell(), s_.fs}.collect([&task] { return latchFor(task); }).installedJDKs;
    }

    std::shared_ptr<ToolLocationsSource> toolLocations() const override { return s_.toolLocations; }

private:
    QString home() const { return s_.fs->homeDirectory(); }
    ShellRunner shell() const { return ShellRunner{s_.processRunner, s_.toolLocations}; }
    MiseRunner mise() const { return MiseRunner{QStringLiteral("/usr/bin/env"), shell(), s_.fs}; }
    JEnvRunner jenv() const {
        return JEnvRunner{home() + QStringLiteral("/.jenv"), shell(), s_.fs};
    }

    AppServices s_;
};

} // namespace

std::shared_ptr<RemediationWorkers> liveRemediationWorkers(const AppServices& services) {
    return std::make_shared<LiveRemediationWorkers>(services);
}

} // namespace tovr
