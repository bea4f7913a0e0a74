// The screens' figures, each against a bare baseline measured in the same run.
#include "ui/UiFigure.h"

#include "platform/ChildProcessRegistry.h"

#include <QApplication>
#include <QProcess>

#include <cstdio>

#include <algorithm>
#include <map>
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

static std::map<std::string, std::function<int()>>& children() {
    static std::map<std::string, std::function<int()>> all;
    return all;
}

bool registerUiChild(std::string name, std::function<int()> run) {
    children()[std::move(name)] = std::move(run);
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
    if (argc >= 3 && std::string(argv[1]) == "--child") {
        const auto child = tovr::bench::children().find(argv[2]);
        return child == tovr::bench::children().end() ? 2 : child->second();
    }
    auto figures = tovr::bench::figures();
    std::stable_sort(figures.begin(), figures.end(),
                     [](const auto& a, const auto& b) { return a.order < b.order; });
    if (argc >= 3 && std::string(argv[1]) == "--figure") {
        for (const auto& figure : figures)
            if (figure.name == argv[2])
                figure.run();
        tovr::ChildProcessRegistry::shared().shutdown();
        return 0;
    }
    // Each figure runs in a process of its own, so none inherits another's threads, caches
    // or windows. TOVR_BENCH_ONLY=<text> runs only the figures whose name holds it.
    const std::string only = qEnvironmentVariable("TOVR_BENCH_ONLY").toStdString();
    for (const auto& figure : figures) {
        if (!only.empty() && figure.name.find(only) == std::string::npos)
            continue;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--figure"), QString::fromStdString(figure.name)});
        child.waitForFinished(-1);
        std::fflush(stdout);
    }
    tovr::ChildProcessRegistry::shared().shutdown();
    return 0;
}
