#pragma once

#include "model/BasicSetupStage.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "products/brew/BrewProductConfig.h"
#include "products/claude/ClaudeProductConfig.h"
#include "products/cli/CliProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupWorkflowCopy.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace tovr {

inline void PrintTo(const SetupFlowModel::Step& step, std::ostream* os) {
    static const char* const names[] = {"readinessWarning", "stage",        "loading",
                                        "diagnosisSummary", "interstitial", "verifying",
                                        "keepGoingGate",    "outcome",      "nps"};
    *os << names[int(step.kind)];
    if (step.kind == SetupFlowModel::Step::Kind::stage)
        *os << '(' << step.domainID.toStdString() << ')';
}

inline void PrintTo(const OutcomeAuditSection& section, std::ostream* os) {
    *os << section.title.toStdString() << ": ";
    PrintTo(section.items, os);
}

} // namespace tovr

// The setup flow's tests: scripted products over a fixture Mac.
namespace tovr::test::setupflow {

using Step = SetupFlowModel::Step;
using Warning = SetupFlowModel::ReadinessWarning;
using C = SetupDiagnosisClassification;
using Ended = SetupActionOutcome;

inline constexpr auto P = DomainPlacement::primary;
inline constexpr auto O = DomainPlacement::offer;
inline constexpr auto X = DomainPlacement::optional;

// A product whose step list, verdicts and verification the test writes; the plug-ins read
// it afresh on every call, from the model's worker threads.
struct Script {
    struct Row {
        QString domain;
        DomainPlacement placement;
        C classification;
    };
    mutable std::mutex lock;
    QList<Row> rows;
    SetupVerificationResult verification{QStringLiteral("ok"), true, 0, QStringLiteral("fixed")};
    std::atomic<int> probes{0};
    std::atomic<int> verifications{0};

    void classify(const QString& domain, C classification) {
        std::lock_guard guard(lock);
        for (auto& row : rows)
            if (row.domain == domain)
                row.classification = classification;
    }
};

class ScriptedProber final : public SetupProber {
public:
    explicit ScriptedProber(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    SetupProbeBundle probe(const ShellRunner&,
                           const std::shared_ptr<FileSystemOperating>&) const override {
        ++s_->probes;
        return {};
    }
    std::shared_ptr<Script> s_;
};

class ScriptedSpine final : public SpineProvider {
public:
    explicit ScriptedSpine(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>&, const SystemProfile&,
                                             const SetupProbeBundle&) const override {
        std::lock_guard guard(s_->lock);
        QList<WorkflowStep> steps;
        for (const auto& row : s_->rows)
            steps.append({std::make_shared<BasicSetupStage>(
                              row.domain, SetupDiagnosis{row.domain, {}, row.classification}),
                          row.placement});
        return steps;
    }
    QList<SetupRemediation> remediations(const QString&, const SystemProfile&,
                                         const SetupProbeBundle&) const override {
        return {};
    }
    std::shared_ptr<Script> s_;
};

class ScriptedVerifier final : public SetupVerifier {
public:
    explicit ScriptedVerifier(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    SetupVerificationResult verify(const std::optional<SystemProfile>&, const ShellRunner&,
                                   const std::shared_ptr<FileSystemOperating>&) const override {
        ++s_->verifications;
        std::lock_guard guard(s_->lock);
        return s_->verification;
    }
    std::shared_ptr<Script> s_;
};

class FakeVolumes final : public VolumeCapacityReading {
public:
    std::optional<qint64> availableVolumeCapacity(const QString& path) const override {
        std::lock_guard guard(lock);
        paths << path;
        return bytes;
    }
    mutable std::mutex lock;
    mutable QStringList paths;
    std::optional<qint64> bytes = 500'000'000'000;
};

// Every download server answers at the given rate, or not at all.
class FakeNetwork final : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&,
                                             std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::cannotFindHost);
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::cannotFindHost);
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64 limit, double) override {
        ++samples;
        if (!bytesPerSecond)
            throw URLError(URLError::Code::cannotFindHost);
        return {limit, double(limit) / *bytesPerSecond};
    }
    std::atomic<int> samples{0};
    std::optional<double> bytesPerSecond = 50'000'000;
};

// One workflow screen's model over a fixture Mac, with recorded telemetry.
struct Flow {
    explicit Flow(FixtureMac::Kind kind = FixtureMac::Kind::developerAppleSilicon,
                  bool fixtureMode = true)
        : mac(kind), ctx(services(fixtureMode), mac.environment()) {
        ctx.profile->set(mac.profiler().profile());
    }

    AppServices services(bool fixtureMode) {
        AppServices s = mac.services();
        s.http = network;
        s.isFixtureMode = fixtureMode;
        return s;
    }

    // The scripted product: a product's copy and prefix (the command-line product's unless
    // given) with the test's rows.
    ProductConfig scripted(QList<Script::Row> rows, ProductConfig c = cliProduct()) {
        script->rows = std::move(rows);
        c.prober = std::make_shared<ScriptedProber>(script);
        c.spineProvider = std::make_shared<ScriptedSpine>(script);
        c.verifier = std::make_shared<ScriptedVerifier>(script);
        return c;
    }

    SetupFlowModel& make(ProductConfig config) {
        model = std::make_unique<SetupFlowModel>(std::move(config), ctx.context, volumes);
        return *model;
    }

    bool startAndReachSummary() {
        model->start();
        return spinUntil([&] { return model->step() == Step::diagnosisSummary(); });
    }

    SetupFlowModel::PendingInstall install(const QString& domain) {
        return {domain + "-install",
                "Install " + domain,
                {SetupRemediation::installUv()},
                false,
                domain};
    }

    bool reach(const Step& step) {
        return spinUntil([&] { return model->step() == step && !model->isRefreshing(); });
    }

    ScopedProductConfig product{cliProduct()};
    RecordedTelemetry telemetry;
    FixtureMac mac;
    std::shared_ptr<FakeNetwork> network = std::make_shared<FakeNetwork>();
    std::shared_ptr<FakeVolumes> volumes = std::make_shared<FakeVolumes>();
    std::shared_ptr<Script> script = std::make_shared<Script>();
    TestScreenContext ctx;
    std::unique_ptr<SetupFlowModel> model;
};

inline QString npsKey() {
    return cliProduct().userDefaultsPrefix + ".nps_submitted";
}

} // namespace tovr::test::setupflow
