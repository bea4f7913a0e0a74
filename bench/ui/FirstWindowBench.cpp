// Start-up: process start to the first window painted, against a bare Qt window; and how
// long the GUI thread went without running its event loop while the start-up profile ran.
#include "ui/UiFigure.h"

#include "EventLoopGaps.h"
#include "Figures.h"

#include "TovrinCliApp.h"
#include "demo/DemoMac.h"
#include "model/ProductConfig.h"
#include "products/cli/CliProductConfig.h"
#include "shell/RootModel.h"
#include "shell/views/ConsentView.h"
#include "shell/views/TOVRRootView.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace tovr;
using namespace tovr::bench;

namespace {

// The process's CPU time so far, in milliseconds: its own work, whatever else the machine runs.
double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Prints "painted <CPU ms>" once something in the window has painted for the first time, then
// quits.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && !done_ && widget && widget->window() == window_) {
            done_ = true;
            const double cpuMs = processCpuMs();
            QTimer::singleShot(0, [cpuMs] {
                std::printf("painted %.3f\n", cpuMs);
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget* window_;
    bool done_ = false;
};

int showAndWait(QWidget& window) {
    FirstPaint paint(&window);
    qApp->installEventFilter(&paint);
    window.show();
    return QApplication::exec();
}

int appChild() {
    const TovrinCliApp application;
    DemoMac::Options options;
    const DemoMac demo(options);
    ScreenContext base;
    base.services = demo.services();
    base.userDefaults = demo.userDefaults();
    base.environment = demo.environment();
    std::unique_ptr<QWidget> window(application.makeWindow(base));
    return showAndWait(*window);
}

// The first page's words (the consent page's, as the demo Mac has not consented), in
// plain labels and buttons.
int bareChild() {
    const ProductConfig product = cliProduct();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Welcome to ") + product.displayName));
    for (const auto& [title, bullets] :
         {std::pair{product.consent.whatTitle, product.consent.whatBullets},
          std::pair{product.consent.privacyTitle, product.consent.privacyBullets}}) {
        layout->addWidget(new QLabel(title));
        for (const QString& bullet : bullets)
            layout->addWidget(new QLabel(QStringLiteral("• ") + bullet));
    }
    layout->addWidget(new QLabel(QStringLiteral("Read the privacy details:")));
    layout->addWidget(new QPushButton(privacyLinkTitle(product.urls.privacy)));
    layout->addStretch(1);
    layout->addWidget(new QPushButton(QStringLiteral("Continue")));
    window.resize(720, 720);
    return showAndWait(window);
}

struct FirstPaintTime {
    double wallMs = 0; // from starting the child
    double cpuMs = 0;  // the child's own work until then
};

FirstPaintTime timeChild(const char* mode) {
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {"--child", mode});
    QByteArray output;
    while (!output.contains('\n') && child.waitForReadyRead(10000))
        output += child.readAllStandardOutput();
    const double wallMs = clock.nsecsElapsed() / 1e6;
    child.waitForFinished(10000);
    const QList<QByteArray> words = output.trimmed().split(' ');
    return {wallMs, words.size() == 2 && words[0] == "painted" ? words[1].toDouble() : 0};
}

// The figure compares the children's own work: on the offscreen platform nothing is waited
// for before the first paint, so on a quiet machine that is the time a person waits, and it
// does not move with what else the machine runs. The wall clock is printed beside it.
void firstWindowRatio() {
    std::vector<double> appWall, bareWall;
    const auto rounds = alternate(
        21,
        [&] {
            const FirstPaintTime time = timeChild("app-window");
            appWall.push_back(time.wallMs);
            return time.cpuMs;
        },
        [&] {
            const FirstPaintTime time = timeChild("bare-window");
            bareWall.push_back(time.wallMs);
            return time.cpuMs;
        });
    printRounds("app window, CPU to first paint", rounds.ours, "ms");
    printRounds("bare Qt window with the same words, CPU to first paint", rounds.base, "ms");
    printRounds("app window, wall clock", Rounds(appWall), "ms");
    printRounds("bare Qt window, wall clock", Rounds(bareWall), "ms");
    printFigure("first_window_ratio", rounds.ratio, "<= 1.5");
}

// Prints "stall <wall ms> <CPU ms> <span ms>" for the start-up profile, then the setup workflow's
// own profile and probe, the summary, the readiness checks and the first stage.
int startupStallChild() {
    DemoMac::Options options;
    options.pace.commandDelay = std::chrono::milliseconds(200);
    const DemoMac demo(options);
    demo.userDefaults()->set(QVariant(true), consentKey());
    ScreenContext base;
    base.services = demo.services();
    base.userDefaults = demo.userDefaults();
    base.environment = demo.environment();
    TOVRRootView window(base);
    window.resize(720, 720);

    using Kind = SetupFlowModel::Step::Kind;
    enum { profile, workflow, summary, stage } phase = profile;
    SetupWorkflowView* view = nullptr;
    QElapsedTimer span;
    span.start();
    window.show();
    const Gaps gaps = eventLoopGaps(
        [&] {
            switch (phase) {
            case profile:
                if (window.context().currentProfile().has_value()) {
                    window.navigation().setPath({Screen::setupWorkflow()});
                    phase = workflow;
                }
                return false;
            case workflow:
                if ((view = window.findChild<SetupWorkflowView*>()))
                    phase = summary;
                return false;
            case summary:
                if (view->model()->step().kind == Kind::diagnosisSummary) {
                    view->model()->checkReadiness();
                    phase = stage;
                }
                return false;
            case stage:
                return view->model()->step().kind == Kind::stage;
            }
            return true;
        },
        60000);
    std::printf("stall %.3f %.3f %lld\n", gaps.longestMs, gaps.longestCpuMs,
                static_cast<long long>(span.elapsed()));
    std::fflush(stdout);
    return phase == stage ? 0 : 1;
}

// The same timer in a bare window for the span given as the last argument.
int idleStallChild() {
    QWidget window;
    window.resize(720, 720);
    window.show();
    const qint64 spanMs = QCoreApplication::arguments().last().toLongLong();
    const Gaps gaps = eventLoopGaps([] { return false; }, spanMs);
    std::printf("stall %.3f %.3f %lld\n", gaps.longestMs, gaps.longestCpuMs,
                static_cast<long long>(spanMs));
    std::fflush(stdout);
    return 0;
}

// What a stall child printed: the longest gap and the longest stretch of the GUI thread's own
// work, in milliseconds, and the span it watched.
struct StallRun {
    double longestMs = 0;
    double longestCpuMs = 0;
    qint64 spanMs = 0;
};

StallRun runStallChild(const QStringList& arguments) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(90000);
    const QList<QByteArray> words = child.readAllStandardOutput().trimmed().split(' ');
    if (words.size() != 4 || words[0] != "stall")
        return {};
    return {words[1].toDouble(), words[2].toDouble(), words[3].toLongLong()};
}

// The figure is the longest stretch of the GUI thread's own work: the thread mostly waits for
// the demo's commands here, so a pause of the machine seldom falls on its work, while it falls
// on the longest gap in most rounds.
void guiStallDuringStartupProfile() {
    qint64 lastSpan = 1000;
    std::vector<double> longest;
    const auto rounds = alternate(
        15,
        [&] {
            const StallRun run = runStallChild({"--child", "startup-stall"});
            lastSpan = run.spanMs;
            longest.push_back(run.longestMs);
            return run.longestCpuMs;
        },
        [&] {
            return runStallChild({"--child", "idle-stall", QString::number(lastSpan)}).longestCpuMs;
        });
    std::printf("start-up profile, the workflow's profile and probe, and readiness to the first "
                "stage, with every command 200 ms:\n");
    printRounds("idle event loop over the same span, its own longest work", rounds.base, "ms");
    printRounds("the longest gap, pauses of the machine included", Rounds(longest), "ms");
    printFigure("gui_stall_ms", rounds.ours, "<= 8; the GUI thread's longest stretch of work", 1);
}

const bool registered = registerUiChild("app-window", appChild) &&
                        registerUiChild("bare-window", bareChild) &&
                        registerUiChild("startup-stall", startupStallChild) &&
                        registerUiChild("idle-stall", idleStallChild) &&
                        registerUiFigure({10, "first_window_ratio", firstWindowRatio}) &&
                        registerUiFigure({20, "gui_stall_ms", guiStallDuringStartupProfile});

} // namespace
