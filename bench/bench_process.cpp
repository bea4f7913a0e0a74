// Process runner throughput and latency against bare POSIX baselines.
#include "platform/LiveProcessRunner.h"
#include "platform/ShellRunner.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace tovr;

namespace {

const char* kMillionLines = "yes 'a short line of output' | head -n 1000000";

// posix_spawn + waitpid with no pipes: the floor for starting a program.
void bareSpawn(const char* path, std::initializer_list<const char*> args) {
    std::vector<char*> argv{const_cast<char*>(path)};
    for (auto* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, path, nullptr, nullptr, argv.data(), environ) != 0)
        std::abort();
    int status;
    waitpid(pid, &status, 0);
}

qint64 streamLines() {
    LiveProcessRunner runner;
    auto stream = runner.stream("/bin/sh", {"-c", kMillionLines}, std::nullopt,
                                std::make_shared<LiveProcessCancellation>());
    qint64 lines = 0;
    while (auto e = stream.next())
        lines += e->as<ProcessStreamEvent::Line>() ? 1 : 0;
    return lines;
}

void BM_StreamMillionLines(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(streamLines());
    state.counters["lines/s"] =
        benchmark::Counter(1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_BaselineWcThroughPipe(benchmark::State& state) {
    const std::string script = std::string(kMillionLines) + " | wc -l >/dev/null";
    for (auto _ : state)
        bareSpawn("/bin/sh", {"-c", script.c_str()});
    state.counters["lines/s"] =
        benchmark::Counter(1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Run64MiB(benchmark::State& state) {
    LiveProcessRunner runner;
    for (auto _ : state)
        benchmark::DoNotOptimize(runner.run("/usr/bin/head", {"-c", "67108864", "/dev/zero"}));
    state.counters["MiB/s"] =
        benchmark::Counter(64.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_RunTrue(benchmark::State& state) {
    LiveProcessRunner runner;
    for (auto _ : state)
        benchmark::DoNotOptimize(runner.run("/bin/true", {}));
}

void BM_BareSpawnTrue(benchmark::State& state) {
    for (auto _ : state)
        bareSpawn("/bin/true", {});
}

BENCHMARK(BM_StreamMillionLines)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BaselineWcThroughPipe)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Run64MiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RunTrue)->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_BareSpawnTrue)->Unit(benchmark::kMicrosecond)->Iterations(300);

template <class F> double secondsPer(int n, F f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const std::string wc = std::string(kMillionLines) + " | wc -l >/dev/null";
    const double streamed = secondsPer(3, [] { streamLines(); });
    const double raw = secondsPer(3, [&] { bareSpawn("/bin/sh", {"-c", wc.c_str()}); });
    LiveProcessRunner runner;
    const double spawnOurs = secondsPer(300, [&] { runner.run("/bin/true", {}); });
    const double spawnBare = secondsPer(300, [] { bareSpawn("/bin/true", {}); });
    std::printf("\nstreaming: %.2fx the raw pipe (goal: within 3x)\n", streamed / raw);
    std::printf("spawn:     %.2fx a bare posix_spawn+waitpid (goal: within 2x)\n",
                spawnOurs / spawnBare);
    return 0;
}
