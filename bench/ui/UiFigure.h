#pragma once

#include <functional>
#include <string>

namespace tovr::bench {

// One measurement of bench_ui. It runs inside the program's QApplication (offscreen) and
// prints its own "figure: name = value (goal …)" line. Figures run in the order of `order`.
struct UiFigure {
    int order;
    std::string name;
    std::function<void()> run;
};

// Registers a figure at start-up; returns true so it can initialise a static.
bool registerUiFigure(UiFigure figure);

} // namespace tovr::bench
