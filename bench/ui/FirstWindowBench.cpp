// Start-up: process start to the first window painted, against a bare Qt window; and how
// long the GUI thread went without running its event loop while the start-up profile ran.
#include "ui/UiFigure.h"

#include "TovrinCliApp.h"
#include "demo/DemoMac.h"
#include "shell/RootModel.h"
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
#include <memory>
#include <vector>

using namespace tovr;
using namespace tovr::bench;

namespace {

// Prints "painted" once something in the window has painted for the first time, then quits.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && !done_ && widget && widget->window() == window_) {
            done_ = true;
            QTimer::singleShot(0, [] {
                std::puts("painted");
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

int bareChild() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel("Hello"));
    layout->addWidget(new QPushButton("Continue"));
    window.resize(720, 720);
    return showAndWait(window);
}

// Milliseconds from starting the child to its "painted" line.
double timeChild(const char* mode) {
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {"--child", mode});
    while (child.waitForReadyRead(10000))
        if (child.readAll().contains("painted"))
            break;
    const double ms = clock.nsecsElapsed() / 1e6;
    child.waitForFinished(10000);
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void firstWindowRatio() {
    std::vector<double> app, bare;
    for (int i = 0; i < 7; ++i) {
        bare.push_back(timeChild("bare-window"));
        app.push_back(timeChild("app-window"));
    }
    std::printf("first window: app %.1f ms, bare Qt window %.1f ms (medians of 7)\n", median(app),
                median(bare));
    std::printf("figure: first_window_ratio = %.2f (goal <= 2)\n", median(app) / median(bare));
}

void guiStallDuringStartupProfile() {
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

    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start();
    window.show();
    QElapsedTimer total;
    total.start();
    const auto waitFor = [&](auto done) {
        while (!done() && total.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    waitFor([&] { return window.context().currentProfile().has_value(); });
    std::printf("start-up profile took %lld ms\n", static_cast<long long>(total.elapsed()));

    // Then the setup workflow: its own profile and probe, the summary, the readiness checks
    // and the first stage.
    window.navigation().setPath({Screen::setupWorkflow()});
    SetupWorkflowView* workflow = nullptr;
    waitFor([&] { return (workflow = window.findChild<SetupWorkflowView*>()) != nullptr; });
    using Kind = SetupFlowModel::Step::Kind;
    waitFor([&] { return workflow->model()->step().kind == Kind::diagnosisSummary; });
    workflow->model()->checkReadiness();
    waitFor([&] { return workflow->model()->step().kind == Kind::stage; });
    tick.stop();
    std::printf("profile, probe and readiness to the first stage took %lld ms\n",
                static_cast<long long>(total.elapsed()));
    std::printf("figure: gui_stall_ms = %.1f (goal <= 16)\n", longest / 1e6);
}

const bool registered = registerUiChild("app-window", appChild) &&
                        registerUiChild("bare-window", bareChild) &&
                        registerUiFigure({10, "first_window_ratio", firstWindowRatio}) &&
                        registerUiFigure({20, "gui_stall_ms", guiStallDuringStartupProfile});

} // namespace
