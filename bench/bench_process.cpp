// Process runner throughput and latency against bare POSIX baselines.
#include "platform/LineSplitter.h"
#include "platform/LiveProcessRunner.h"
#include "platform/ShellRunner.h"

#include "Figures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace tovr;
using namespace tovr::bench;

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

// Splits output as the stream's reader does: in reads of a pipe's size, the lines of each
// read handed on as bytes, since the reader leaves decoding to the consumer. Returns the lines.
qint64 splitLines(const QByteArray& output) {
    constexpr qsizetype kRead = 64 * 1024;
    LineSplitter splitter;
    QByteArray bytes;
    std::vector<LineSplitter::Span> spans;
    qint64 lines = 0;
    auto handOver = [&] {
        if (!splitter.hasLines())
            return;
        splitter.takeLines(bytes, spans);
        lines += static_cast<qint64>(spans.size());
    };
    for (qsizetype at = 0; at < output.size(); at += kRead) {
        splitter.feedBytes(output.constData() + at, std::min(kRead, output.size() - at));
        handOver();
    }
    splitter.finishBytes();
    handOver();
    return lines;
}

// `total` bytes of output in lines of `lineLength` bytes, the last byte of each a break.
QByteArray outputOfLines(qsizetype total, qsizetype lineLength) {
    QByteArray output(total, 'x');
    for (qsizetype end = lineLength - 1; end < total; end += lineLength)
        output[end] = '\n';
    return output;
}

void BM_SplitOne64MiBLine(benchmark::State& state) {
    const QByteArray line = outputOfLines(64 << 20, 64 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(splitLines(line));
    state.counters["MiB/s"] =
        benchmark::Counter(64.0 * state.iterations(), benchmark::Counter::kIsRate);
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
BENCHMARK(BM_SplitOne64MiBLine)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Run64MiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RunTrue)->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_BareSpawnTrue)->Unit(benchmark::kMicrosecond)->Iterations(300);

// The figures, each against its baseline in this run.
void printFigures() {
    LiveProcessRunner runner;
    const auto spawn = alternate(
        300, [&] { return secondsOf([&] { runner.run("/bin/true", {}); }); },
        [] { return secondsOf([] { bareSpawn("/bin/true", {}); }); });
    const auto sleep100 = alternate(
        15, [&] { return secondsOf([&] { runner.run("/bin/sleep", {"0.1"}); }); },
        [] { return secondsOf([] { bareSpawn("/bin/sleep", {"0.1"}); }); });
    const std::string wc = std::string(kMillionLines) + " | wc -l >/dev/null";
    const auto streamed = alternate(
        21, [] { return secondsOf([] { streamLines(); }); },
        [&] { return secondsOf([&] {
                  bareSpawn("/bin/sh", {"-c", wc.c_str()});
              }); });
    const QByteArray oneLine = outputOfLines(16 << 20, 16 << 20);
    const QByteArray shortLines = outputOfLines(16 << 20, 80);
    const auto longLine = alternate(
        7, [&] { return cpuSecondsOf([&] { splitLines(oneLine); }); },
        [&] { return cpuSecondsOf([&] { splitLines(shortLines); }); });
    printFigure("spawn_ratio", spawn.ratio, "<= 1.1");
    printFigure("run_100ms_ratio", sleep100.ratio, "<= 1.05");
    printFigure("stream_next_ratio", streamed.ratio, "<= 2");
    printFigure("line_16mb_ratio", longLine.ratio, "<= 2");
}

} // namespace

// With "--figures" only the figures are printed; `make bench` runs that last.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--figures") == 0) {
        printFigures();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
