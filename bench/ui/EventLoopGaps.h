#pragma once

// How long the GUI thread goes without turning its event loop: the gaps between the ticks of
// a 1 ms timer. The machines these run on pause a whole process now and then (a bare C loop
// sees pauses of 40-70 ms a few times in five seconds, counted as its own CPU time when it
// was running), so the longest gap is often one of those pauses rather than our work. Figures
// therefore take the 99th percentile of the gaps under a steady load, or the longest stretch
// of the GUI thread's own work for a thread that mostly waits; the longest gap is printed
// beside them.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <vector>

namespace tovr::bench {

struct Gaps {
    double p99Ms = 0;        // 99 % of the gaps are at most this long
    double longestMs = 0;    // the longest gap, pauses of the machine included
    double longestCpuMs = 0; // the longest stretch of the GUI thread's own work between ticks
};

inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

inline double percentile99(std::vector<double> values) {
    if (values.empty())
        return 0;
    const std::size_t at = values.size() - 1 - (values.size() - 1) / 100;
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[at];
}

// Turns the event loop until `until()` is true (asked at every tick) or `limitMs` passed.
template <class Until> Gaps eventLoopGaps(Until until, qint64 limitMs) {
    std::vector<double> wall, cpu;
    wall.reserve(4096);
    cpu.reserve(4096);
    QElapsedTimer clock;
    clock.start();
    double last = 0, lastCpu = threadCpuMs();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        const double nowCpu = threadCpuMs();
        wall.push_back(now - last);
        cpu.push_back(nowCpu - lastCpu);
        last = now;
        lastCpu = nowCpu;
        if (until() || clock.elapsed() > limitMs)
            loop.quit();
    });
    tick.start();
    loop.exec();
    Gaps gaps;
    gaps.longestMs = wall.empty() ? 0 : *std::max_element(wall.begin(), wall.end());
    gaps.longestCpuMs = cpu.empty() ? 0 : *std::max_element(cpu.begin(), cpu.end());
    gaps.p99Ms = percentile99(std::move(wall));
    return gaps;
}

} // namespace tovr::bench
