// The screens' figures, each against a bare baseline measured in the same run.
#include "ui/UiFigure.h"

#include "platform/ChildProcessRegistry.h"

#include <QApplication>

#include <algorithm>
#include <vector>

namespace tovr::bench {

static std::vector<UiFigure>& figures() {
    static std::vector<UiFigure> all;
    return all;
}

bool registerUiFigure(UiFigure figure) {
    figures().push_back(std::move(figure));
    return true;
}

} // namespace tovr::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TOVR_TELEMETRY_DISABLED", "1");
    // Some figures start this program again as their own child (a process start is part of
    // what they measure); they pass their mode as the first argument.
    QApplication app(argc, argv);
    auto figures = tovr::bench::figures();
    std::stable_sort(figures.begin(), figures.end(),
                     [](const auto& a, const auto& b) { return a.order < b.order; });
    for (const auto& figure : figures)
        figure.run();
    tovr::ChildProcessRegistry::shared().shutdown();
    return 0;
}
