#pragma once

// How every figure is measured and printed. Ours and its baseline run in turn (A B A B …)
// inside one run of the benchmark, so load from the rest of the machine falls on both alike;
// a figure is the median of its rounds and is printed with the middle half of them, so a
// reader sees at once whether two runs may be compared.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace tovr::bench {

// Fewer rounds than this and one disturbed round moves the median.
constexpr int kMinimumRounds = 5;

// What the rounds of one measurement gave, sorted.
class Rounds {
public:
    Rounds() = default;
    explicit Rounds(std::vector<double> values) : values_(std::move(values)) {
        std::sort(values_.begin(), values_.end());
    }
    bool empty() const { return values_.empty(); }
    int count() const { return static_cast<int>(values_.size()); }
    double median() const {
        if (values_.empty())
            return 0;
        const std::size_t n = values_.size();
        return n % 2 ? values_[n / 2] : (values_[n / 2 - 1] + values_[n / 2]) / 2;
    }
    // The quartiles: the middle half of the rounds lies between them.
    double lower() const { return values_.empty() ? 0 : values_[(values_.size() - 1) / 4]; }
    double upper() const {
        return values_.empty() ? 0 : values_[values_.size() - 1 - (values_.size() - 1) / 4];
    }

private:
    std::vector<double> values_;
};

struct Alternation {
    Rounds ours;
    Rounds base;
    Rounds ratio; // ours over base, round by round
};

// Runs `ours` then `base`, `rounds` times (at least kMinimumRounds). Each returns what it
// measured (a time, a stall); a round's ratio compares the two taken side by side.
template <class Ours, class Base> Alternation alternate(int rounds, Ours&& ours, Base&& base) {
    rounds = std::max(rounds, kMinimumRounds);
    std::vector<double> a, b, ratio;
    for (int i = 0; i < rounds; ++i) {
        a.push_back(ours());
        b.push_back(base());
        ratio.push_back(b.back() > 0 ? a.back() / b.back() : 0);
    }
    return {Rounds(std::move(a)), Rounds(std::move(b)), Rounds(std::move(ratio))};
}

// Seconds one call of `f` takes.
template <class F> double secondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of this thread's CPU that one call of `f` takes: for work that stays on the thread,
// so that other processes taking the processor do not count.
template <class F> double cpuSecondsOf(F&& f) {
    auto now = [] {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec / 1e9;
    };
    const double start = now();
    f();
    return now() - start;
}

// "figure: name = median (goal …; middle half lower–upper of n)".
inline void printFigure(const std::string& name, const Rounds& rounds, const std::string& goal,
                        int decimals = 2) {
    std::printf("figure: %s = %.*f (goal %s; middle half %.*f-%.*f of %d)\n", name.c_str(),
                decimals, rounds.median(), goal.c_str(), decimals, rounds.lower(), decimals,
                rounds.upper(), rounds.count());
    std::fflush(stdout);
}

// A line of context beside a figure: "  name: median unit (middle half lower–upper)".
inline void printRounds(const std::string& name, const Rounds& rounds, const char* unit,
                        int decimals = 1) {
    std::printf("  %s: %.*f %s (middle half %.*f-%.*f of %d)\n", name.c_str(), decimals,
                rounds.median(), unit, decimals, rounds.lower(), decimals, rounds.upper(),
                rounds.count());
    std::fflush(stdout);
}

} // namespace tovr::bench
