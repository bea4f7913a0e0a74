// A Java fix's verification asks two fresh login shells at once, so on a Mac whose login
// shell takes 300 ms to start the check should take about one shell's time, not two.
#include "ui/UiFigure.h"

#include "Figures.h"

#include "diagnosis/Verifier.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace tovr::bench {

namespace {

constexpr auto kShellTime = std::chrono::milliseconds(300);

class SlowLoginShells final : public ProcessRunning {
public:
    ProcessResult run(const QString&, const QStringList&,
                      const std::optional<ProcessEnvironment>&) override {
        std::this_thread::sleep_for(kShellTime);
        return ProcessResult{0, QStringLiteral("openjdk version \"21.0.2\"\n"), {}};
    }
    EventStream<ProcessStreamEvent> stream(const QString&, const QStringList&,
                                           const std::optional<ProcessEnvironment>&,
                                           std::shared_ptr<LiveProcessCancellation>) override {
        return {};
    }
};

void run() {
    SlowLoginShells shell;
    const Verifier verifier(ShellRunner{std::make_shared<SlowLoginShells>()});
    // The baseline: one login shell's answer.
    const auto rounds = alternate(
        5, [&] { return secondsOf([&] { verifier.verify(); }); },
        [&] {
            return secondsOf([&] { shell.run(QStringLiteral("/bin/zsh"), {}, std::nullopt); });
        });
    std::printf("Java verification with %.0f ms per login shell:\n",
                std::chrono::duration<double, std::milli>(kShellTime).count());
    printRounds("verification", rounds.ours, "s", 2);
    printFigure("java_verify_shell_ratio", rounds.ratio, "<= 1.3");
}

} // namespace

[[maybe_unused]] static bool registered = registerUiFigure({60, "java_verify_shell_ratio", run});

} // namespace tovr::bench
