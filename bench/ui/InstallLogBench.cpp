// The install sheet's log under a flood: 100,000 lines yielded by a worker as fast as it
// can, the way a child's output arrives. Measures how long the GUI thread goes without
// running its event loop, the time until the last line is on screen, and what the
// log costs: heap per line, the time the sheet takes to close, and what stays after. Then
// the paint of a log whose one line holds a megabyte.
#include "ui/UiFigure.h"

#include "EventLoopGaps.h"
#include "Figures.h"
#include "LogCost.h"

#include "ui/views/LiveLogView.h"
#include "workflow/views/SetupActionProgressDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace tovr::bench {

namespace {

constexpr int kLines = 100000;

QString floodLine(int i) {
    return QStringLiteral("==> Pouring package %1 of %2 (bottle 14.2 MB)").arg(i + 1).arg(kLines);
}

// A fix whose worker yields `lines` lines as fast as it can; `producer` is its thread.
SetupActionProgressModel::FixStarter floodingStarter(std::thread& producer, int lines = kLines,
                                                     QString (*line)(int) = floodLine) {
    return [&producer, lines, line](const SetupRemediation&, const QString&) {
        using Event = SetupRemediationRunner::Event;
        auto [stream, continuation] = EventStream<Event>::make();
        producer = std::thread([continuation = continuation, lines, line] {
            for (int i = 0; i < lines; ++i)
                continuation.yield(Event::output(line(i)));
            continuation.yield(Event::completed(0));
            continuation.finish();
        });
        return std::move(stream);
    };
}

void measureCost(QWidget* window) {
    std::thread producer;
    QPointer<SetupActionProgressDialog> sheet;
    printLogCost(
        {"install", kLines, floodLine,
         [&] {
             ScreenContext context;
             sheet = SetupActionProgressDialog::present(
                 window, context, {"Install Homebrew", {SetupRemediation::installGh()}, false},
                 floodingStarter(producer), [](SetupActionOutcome) {});
         },
         [&] {
             auto* log = sheet->findChild<LiveLogView*>(QStringLiteral("setup-action-log"));
             return !sheet->model()->isRunning() && log->lines().size() == kLines;
         },
         [&] {
             if (producer.joinable())
                 producer.join();
             sheet->model()->continueOn();
         }});
}

// One flood through a fresh sheet: the longest stall and when the last line was on screen.
struct Flood {
    Gaps gaps;
    double onScreenS = -1;
};

Flood flood(QWidget* window) {
    std::thread producer;
    ScreenContext context;
    QElapsedTimer clock;
    clock.start();
    auto* sheet = SetupActionProgressDialog::present(
        window, context, {"Install Homebrew", {SetupRemediation::installGh()}, false},
        floodingStarter(producer), [](SetupActionOutcome) {});
    auto* log = sheet->findChild<LiveLogView*>(QStringLiteral("setup-action-log"));
    const QString lastLine = floodLine(kLines - 1);
    Flood result;
    result.gaps = eventLoopGaps(
        [&] {
            QScrollBar* bar = log->verticalScrollBar();
            const bool shown = log->lines().size() == kLines && log->lines().last() == lastLine &&
                               bar->value() == bar->maximum();
            if (shown && result.onScreenS < 0)
                result.onScreenS = double(clock.elapsed()) / 1000.0;
            return shown;
        },
        60000);
    if (producer.joinable())
        producer.join();
    sheet->model()->continueOn();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}

// A megabyte on one line, words and all, as a tool printing a whole file on one line would.
QString megabyteLine(int) {
    const QString words =
        QStringLiteral("{\"package\":\"openssl@3\",\"bottle\":\"arm64_sonoma\"} ");
    QString line;
    line.reserve(1 << 20);
    while (line.size() + words.size() <= (1 << 20))
        line += words;
    return line;
}

// One paint of the sheet's log holding that line, against the paint of a log of one short line.
void measureLongLinePaint(QWidget* window) {
    std::thread producer;
    ScreenContext context;
    QPointer<SetupActionProgressDialog> longSheet = SetupActionProgressDialog::present(
        window, context, {"Install Homebrew", {SetupRemediation::installGh()}, false},
        floodingStarter(producer, 1, megabyteLine), [](SetupActionOutcome) {});
    std::thread shortProducer;
    QPointer<SetupActionProgressDialog> shortSheet = SetupActionProgressDialog::present(
        window, context, {"Install Homebrew", {SetupRemediation::installGh()}, false},
        floodingStarter(shortProducer, 1), [](SetupActionOutcome) {});
    auto* longLog = longSheet->findChild<LiveLogView*>(QStringLiteral("setup-action-log"));
    auto* shortLog = shortSheet->findChild<LiveLogView*>(QStringLiteral("setup-action-log"));
    QElapsedTimer wait;
    wait.start();
    while ((longLog->lines().size() < 1 || shortLog->lines().size() < 1) && wait.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    longLog->scrollToTop();
    const auto paintMs = [](LiveLogView* log) {
        return secondsOf([log] { log->viewport()->repaint(); }) * 1000;
    };
    const auto rounds = alternate(
        21, [&] { return paintMs(longLog); }, [&] { return paintMs(shortLog); });
    std::printf("install log, one line of a megabyte:\n");
    printRounds("the paint of a log of one short line", rounds.base, "ms", 2);
    printFigure("log_long_line_paint_ms", rounds.ours, "<= 16", 2);
    for (std::thread* thread : {&producer, &shortProducer})
        if (thread->joinable())
            thread->join();
    for (auto* sheet : {longSheet.data(), shortSheet.data()})
        if (sheet) {
            QElapsedTimer done;
            done.start();
            while (sheet->model()->isRunning() && done.elapsed() < 10000)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            sheet->model()->continueOn();
        }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void run() {
    QWidget window;
    window.resize(720, 700);
    window.show();
    QApplication::processEvents();

    std::vector<double> longest, onScreen;
    double lastSpanMs = 1000;
    const auto rounds = alternate(
        9,
        [&] {
            const Flood result = flood(&window);
            longest.push_back(result.gaps.longestMs);
            // A round that never showed every line counts as the whole wait.
            onScreen.push_back(result.onScreenS < 0 ? 60 : result.onScreenS);
            lastSpanMs = std::max(100.0, onScreen.back() * 1000);
            return result.gaps.p99Ms;
        },
        [&] { return eventLoopGaps([] { return false; }, qint64(lastSpanMs)).p99Ms; });

    std::printf("install log, %d lines yielded as fast as a worker can:\n", kLines);
    printRounds("idle event loop over the same span, 99th percentile gap", rounds.base, "ms");
    printRounds("the longest gap, pauses of the machine included", Rounds(longest), "ms");
    printFigure("log_100k_lines_stall_ms", rounds.ours, "<= 16; 99th percentile gap", 1);
    printFigure("log_100k_lines_s", Rounds(onScreen), "<= 2");

    measureCost(&window);
    measureLongLinePaint(&window);
}

static bool registered = registerUiFigure({40, "install_log", run});

} // namespace

} // namespace tovr::bench
