#include "LogCost.h"

#include "Figures.h"

#include "platform/ReleaseOnWorker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QStringListModel>
#include <QThread>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if defined(__APPLE__)
#include <mach/mach.h>
#include <malloc/malloc.h>
#elif defined(__GLIBC__)
#include <malloc.h>
#else
#error "the log's memory figures are read on glibc and macOS only"
#endif

namespace tovr::bench {

namespace {

// The bytes the program's allocations hold now.
double heapBytes() {
#if defined(__APPLE__)
    malloc_statistics_t stats{};
    malloc_zone_statistics(nullptr, &stats); // every zone
    return double(stats.size_in_use);
#else
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
#endif
}

double residentBytes() {
#if defined(__APPLE__)
    mach_task_basic_info_data_t info{};
    mach_msg_type_number_t count = MACH_TASK_BASIC_INFO_COUNT;
    if (task_info(mach_task_self(), MACH_TASK_BASIC_INFO, reinterpret_cast<task_info_t>(&info),
                  &count) != KERN_SUCCESS)
        return 0;
    return double(info.resident_size);
#else
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * 4096;
#endif
}

// Every round starts from a heap with nothing kept for reuse, so rounds do not feed each other.
struct Start {
    double heap;
    double resident;
};

Start settledStart() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    returnFreedMemory();
    return {heapBytes(), residentBytes()};
}

template <class Shown> void waitFor(Shown&& shown) {
    QElapsedTimer wait;
    wait.start();
    while (!shown() && wait.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Closing ends with the deferred deletes and whatever the closed view posted for later (the
// heap trim), as the event loop would run them.
template <class Close> double closeMs(Close&& close) {
    QElapsedTimer clock;
    clock.start();
    close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    QApplication::processEvents();
    return ms;
}

// The resident memory a closed log keeps, in MB. A long log's lines are let go on a worker,
// so this waits up to a second for it to come back.
double keptAfterRelease(const Start& start) {
    QElapsedTimer wait;
    wait.start();
    double kept = (residentBytes() - start.resident) / 1e6;
    while (kept > 1 && wait.elapsed() < 1000) {
        QThread::msleep(10);
        kept = (residentBytes() - start.resident) / 1e6;
    }
    return kept;
}

} // namespace

void printLogCost(const LogUnderTest& log) {
    double textBytes = 0;
    for (int i = 0; i < log.lines; ++i)
        textBytes += 2.0 * log.lineAt(i).size();
    const double textPerLine = textBytes / log.lines;

    std::vector<double> perLine, kept, barePerLine;
    const auto rounds = alternate(
        9,
        [&] {
            const Start start = settledStart();
            log.open();
            waitFor(log.shown);
            perLine.push_back((heapBytes() - start.heap) / log.lines - textPerLine);
            const double ms = closeMs(log.close);
            kept.push_back(keptAfterRelease(start));
            return ms;
        },
        [&] {
            const Start start = settledStart();
            auto view = std::make_unique<QListView>();
            QStringList lines;
            for (int i = 0; i < log.lines; ++i)
                lines.append(log.lineAt(i));
            auto* model = new QStringListModel(std::move(lines), view.get());
            view->setUniformItemSizes(true);
            view->setModel(model);
            view->resize(600, 300);
            view->show();
            view->scrollToBottom();
            QApplication::processEvents();
            barePerLine.push_back((heapBytes() - start.heap) / log.lines - textPerLine);
            return closeMs([&] { view.reset(); });
        });

    const std::string sheet = log.sheet;
    std::printf("%s log, %d lines of %.0f bytes of text each:\n", log.sheet, log.lines,
                textPerLine);
    printRounds("a bare list view of the same lines, bytes per line beyond the text",
                Rounds(barePerLine), "B", 0);
    printRounds("a bare list view of the same lines, closing", rounds.base, "ms");
    printFigure(sheet + "_log_bytes_per_line", Rounds(perLine), "<= 200", 0);
    printFigure(sheet + "_log_close_ms", rounds.ours, "<= 16", 1);
    printFigure(sheet + "_log_memory_returned_mb", Rounds(kept), "<= 5; resident memory kept", 1);
}

} // namespace tovr::bench
