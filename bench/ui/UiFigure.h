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

// A mode in which bench_ui runs as its own child (`bench_ui --child <name>`), for figures
// that measure a whole process. The function returns the child's exit code.
bool registerUiChild(std::string name, std::function<int()> run);

} // namespace tovr::bench
