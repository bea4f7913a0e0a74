// A whole profile against a runner whose every command takes 100 ms: the probes run at
// once, so the profile should take about one slow command, not the sum of them.
#include "platform/LiveFileSystem.h"
#include "platform/SystemProfiler.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace tovr;

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

    auto runner = std::make_shared<SlowRunner>();
    const auto profiler = makeProfiler(runner);
    const auto start = std::chrono::steady_clock::now();
    profiler.profile();
    const double whole =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double slowest = std::chrono::duration<double>(kCommandTime).count();
    std::printf("\nprofile: %.0f ms for %d commands of %.0f ms each (sum %.0f ms); "
                "%.2fx the slowest probe (goal: under 2x)\n",
                whole * 1000, runner->calls.load(), slowest * 1000,
                runner->calls.load() * slowest * 1000, whole / slowest);
    return 0;
}
