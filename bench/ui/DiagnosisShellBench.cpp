// From the setup workflow's start to its diagnosis summary on a Mac whose every login-shell
// command takes 300 ms: profiling and probing run their commands at once, so the summary
// should come after about one slow command, not the sum of them.
#include "ui/UiFigure.h"

#include "Figures.h"

#include "model/ProductConfig.h"
#include "platform/LiveFileSystem.h"
#include "platform/ProcessRunning.h"
#include "products/cli/CliProductConfig.h"
#include "workflow/SetupFlowModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <cstdio>
#include <thread>

namespace tovr::bench {

namespace {

constexpr auto kShellTime = std::chrono::milliseconds(300);

// Every login shell answers late and finds nothing; everything else answers at once.
class SlowShellRunner final : public ProcessRunning {
public:
    ProcessResult run(const QString& executable, const QStringList&,
                      const std::optional<ProcessEnvironment>&) override {
        if (executable == QLatin1String("/bin/zsh"))
            std::this_thread::sleep_for(kShellTime);
        return ProcessResult{1, {}, {}};
    }
    EventStream<ProcessStreamEvent> stream(const QString&, const QStringList&,
                                           const std::optional<ProcessEnvironment>&,
                                           std::shared_ptr<LiveProcessCancellation>) override {
        return {};
    }
};

double secondsToSummary() {
    ScreenContext context;
    context.services.processRunner = std::make_shared<SlowShellRunner>();
    context.services.fs = std::make_shared<LiveFileSystem>();
    context.services.isFixtureMode = false;
    context.environment = SystemEnvironment::live();
    SetupFlowModel model(cliProduct(), context);
    QElapsedTimer timer;
    timer.start();
    model.start();
    while (model.step() != SetupFlowModel::Step::diagnosisSummary() && timer.elapsed() < 20'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return timer.nsecsElapsed() / 1e9;
}

void run() {
    // The baseline: one login shell's answer, asked of the same runner.
    const auto rounds = alternate(5, secondsToSummary, [] {
        SlowShellRunner runner;
        return secondsOf([&] { runner.run(QStringLiteral("/bin/zsh"), {}, std::nullopt); });
    });
    std::printf("diagnosis summary with %.0f ms per login shell:\n",
                std::chrono::duration<double, std::milli>(kShellTime).count());
    printRounds("summary after", rounds.ours, "s", 2);
    printFigure("diagnosis_shell_ratio", rounds.ratio, "<= 2.5");
}

} // namespace

[[maybe_unused]] static bool registered = registerUiFigure({30, "diagnosis_shell_ratio", run});

} // namespace tovr::bench
