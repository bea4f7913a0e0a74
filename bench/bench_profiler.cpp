// A whole profile against a runner whose every command takes 100 ms: the probes run at
// once, so the profile should take about one slow command, not the sum of them.
#include "platform/LiveFileSystem.h"
#include "platform/SystemProfiler.h"

#include "Figures.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace tovr;
using namespace tovr::bench;

namespace {

constexpr auto kCommandTime = std::chrono::milliseconds(100);

class SlowRunner final : public ProcessRunning {
public:
    ProcessResult run(const QString&, const QStringList&,
                      const std::optional<ProcessEnvironment>&) override {
        ++calls;
        std::this_thread::sleep_for(kCommandTime);
        return ProcessResult{1, {}, {}};
    }
    EventStream<ProcessStreamEvent> stream(const QString&, const QStringList&,
                                           const std::optional<ProcessEnvironment>&,
                                           std::shared_ptr<LiveProcessCancellation>) override {
        return {};
    }
    std::atomic<int> calls{0};
};

SystemProfiler makeProfiler(const std::shared_ptr<SlowRunner>& runner) {
    return SystemProfiler{ShellRunner{runner}, std::make_shared<LiveFileSystem>()};
}

void BM_ProfileWithSlowCommands(benchmark::State& state) {
    auto runner = std::make_shared<SlowRunner>();
    const auto profiler = makeProfiler(runner);
    for (auto _ : state)
        benchmark::DoNotOptimize(profiler.profile());
}
BENCHMARK(BM_ProfileWithSlowCommands)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // Against one slow command, each profile beside one command's time.
    auto runner = std::make_shared<SlowRunner>();
    const auto profiler = makeProfiler(runner);
    const auto profiles = alternate(
        5, [&] { return secondsOf([&] { profiler.profile(); }); },
        [&] { return secondsOf([&] { runner->run({}, {}, std::nullopt); }); });
    std::printf("\nprofile: %.0f ms for %d commands of %.0f ms each\n",
                profiles.ours.median() * 1000,
                (runner->calls.load() - profiles.ours.count()) / profiles.ours.count(),
                std::chrono::duration<double, std::milli>(kCommandTime).count());
    printFigure("profile_slowest_probe_ratio", profiles.ratio, "< 2");
    return 0;
}
