// From the setup workflow's start to its diagnosis summary on a Mac whose every login-shell
// command takes 300 ms: profiling and probing run their commands at once, so the summary
// should come after about one slow command, not the sum of them.
#include "ui/UiFigure.h"

#include "model/ProductConfig.h"
#include "platform/LiveFileSystem.h"
#include "platform/ProcessRunning.h"
#include "products/cli/CliProductConfig.h"
#include "workflow/SetupFlowModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

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
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(secondsToSummary());
    std::sort(runs.begin(), runs.end());
    const double shell = std::chrono::duration<double>(kShellTime).count();
    std::printf("diagnosis summary after %.0f ms (median of 3) with %.0f ms per login shell\n",
                runs[1] * 1000, shell * 1000);
    std::printf("figure: diagnosis_shell_ratio = %.2f (goal <= 2.5)\n", runs[1] / shell);
    std::fflush(stdout);
}

} // namespace

[[maybe_unused]] static bool registered = registerUiFigure({30, "diagnosis_shell_ratio", run});

} // namespace tovr::bench
