// Cost of TelemetryService::track to its callers: 10,000 calls from 8 threads with the
// backend answering at once, against a bare mutex-guarded queue as the baseline.
#include "platform/JoiningThread.h"
#include "telemetry/TelemetryService.h"

#include "Figures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <latch>
#include <mutex>
#include <vector>

using namespace tovr;
using namespace tovr::bench;

namespace {

constexpr int kThreads = 8;
constexpr int kCalls = 10'000;

// A backend that stores every record at once.
class InstantBackend : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&,
                                             std::shared_ptr<HTTPCancellation>) override {
        HTTPResponse response;
        response.statusCode = 201;
        return {{}, response};
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        return {};
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64, double) override { return {}; }
};

// Runs `call` kCalls times spread over kThreads threads; the summed time spent inside the
// calls, in seconds. The threads start together, so that they meet on the lock in every run
// (started one after another, they often finish before the last one begins).
template <class F> double timeCalls(F call) {
    std::vector<double> spent(kThreads);
    {
        std::latch ready(kThreads);
        std::vector<JoiningThread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                ready.arrive_and_wait();
                const auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < kCalls / kThreads; ++i)
                    call(t, i);
                spent[t] =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            });
    }
    double total = 0;
    for (double s : spent)
        total += s;
    return total;
}

double trackSeconds() {
    TelemetryService::Configuration configuration;
    configuration.endpointURL = QUrl("https://telemetry.invalid/api/database/records/usage_events");
    configuration.anonKey = "a.b.c";
    configuration.urlSessionFactory = [] { return std::make_shared<InstantBackend>(); };
    TelemetryService service(configuration);
    const double seconds = timeCalls([&](int t, int i) {
        service.track(QStringLiteral("bench_event"), {{"thread", t}, {"n", i}});
    });
    service.waitUntilIdle(std::chrono::seconds(60));
    return seconds;
}

double baselineSeconds() {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    return timeCalls([&](int t, int i) {
        {
            std::lock_guard guard(lock);
            jobs.push_back([t, i] { benchmark::DoNotOptimize(t + i); });
        }
        wake.notify_one();
    });
}

void BM_Track10kFrom8Threads(benchmark::State& state) {
    double spent = 0;
    for (auto _ : state) {
        const double seconds = trackSeconds();
        spent += seconds;
        state.SetIterationTime(seconds / kThreads);
    }
    state.counters["us/call"] = spent * 1e6 / (double(kCalls) * state.iterations());
}

void BM_BaselineQueuePushFrom8Threads(benchmark::State& state) {
    double spent = 0;
    for (auto _ : state) {
        const double seconds = baselineSeconds();
        spent += seconds;
        state.SetIterationTime(seconds / kThreads);
    }
    state.counters["us/call"] = spent * 1e6 / (double(kCalls) * state.iterations());
}

BENCHMARK(BM_Track10kFrom8Threads)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BaselineQueuePushFrom8Threads)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto calls = alternate(21, trackSeconds, baselineSeconds);
    std::printf("\ntrack: %.2f us per call\n", calls.ours.median() * 1e6 / kCalls);
    printFigure("track_queue_push_ratio", calls.ratio, "none set");
    return 0;
}
