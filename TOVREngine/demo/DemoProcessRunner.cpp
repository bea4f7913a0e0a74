#include "demo/DemoProcessRunner.h"

#include "platform/ChildProcessRegistry.h"
#include "platform/Error.h"
#include "platform/LiveProcessCancellation.h"

#include <QLoggingCategory>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <thread>

namespace tovr {

namespace {

Q_LOGGING_CATEGORY(lcDemo, "tovr.demo")

// A streamed demo program as its cancellation handle sees it: terminating wakes its
// thread at once.
class DemoChild final : public ChildProcess {
public:
    bool isRunning() const override {
        std::lock_guard guard(lock_);
        return running_;
    }
    void terminate() override {
        std::lock_guard guard(lock_);
        terminated_ = true;
        wake_.notify_all();
    }
    // Waits `delay`; false when terminated first (or before).
    bool pause(std::chrono::milliseconds delay) {
        std::unique_lock guard(lock_);
        return !wake_.wait_for(guard, delay, [this] { return terminated_; });
    }
    bool isTerminated() const {
        std::lock_guard guard(lock_);
        return terminated_;
    }
    void ended() {
        std::lock_guard guard(lock_);
        running_ = false;
    }

private:
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool running_ = true;
    bool terminated_ = false;
};

} // namespace

DemoProcessRunner::DemoProcessRunner(std::shared_ptr<SandboxFileSystem> fs, Pace pace)
    : shell_(std::move(fs)), pace_(pace) {}

void DemoProcessRunner::apply(const DemoReply& reply, std::mutex& lock) {
    std::lock_guard guard(lock);
    for (const auto& effect : reply.effects) {
        try {
            effect();
        } catch (const Error& e) {
            qCWarning(lcDemo) << "The demo Mac could not change a file:" << e.description();
        }
    }
}

ProcessResult DemoProcessRunner::run(const QString& executable, const QStringList& arguments,
                                     const std::optional<ProcessEnvironment>&) {
    if (pace_.commandDelay.count() > 0)
        std::this_thread::sleep_for(pace_.commandDelay);
    const DemoReply reply = shell_.run(executable, arguments);
    if (reply.launchError)
        throw SystemError(ENOENT, *reply.launchError);
    apply(reply, *effectsLock_);
    ProcessResult result{reply.exitCode, {}, {}};
    for (const auto& line : reply.lines)
        (line.toStderr ? result.stderr_ : result.stdout_) += line.text + u'\n';
    return result;
}

EventStream<ProcessStreamEvent>
DemoProcessRunner::stream(const QString& executable, const QStringList& arguments,
                          const std::optional<ProcessEnvironment>&,
                          std::shared_ptr<LiveProcessCancellation> cancellation) {
    auto [events, continuation] = EventStream<ProcessStreamEvent>::make();
    DemoReply reply = shell_.run(executable, arguments);
    if (reply.launchError) {
        continuation.yield(ProcessStreamEvent::failedToStart(*reply.launchError));
        continuation.finish();
        return std::move(events);
    }
    auto child = std::make_shared<DemoChild>();
    if (!cancellation)
        cancellation = std::make_shared<LiveProcessCancellation>();
    cancellation->attach(child);
    // The consumer leaving ends the program, as it would a real child.
    continuation.onTermination([cancellation](StreamTermination) { cancellation->cancel(); });

    ChildProcessRegistry::shared().start(
        child, [child, continuation, reply = std::move(reply), pace = pace_, lock = effectsLock_] {
            for (const auto& line : reply.lines) {
                if (child->isTerminated() || !child->pause(pace.lineDelay * line.pause))
                    break;
                continuation.yield(ProcessStreamEvent::line(line.text));
            }
            qint32 code = SIGTERM; // what a terminated child reports
            if (!child->isTerminated()) {
                apply(reply, *lock);
                code = reply.exitCode;
            }
            child->ended();
            continuation.yield(ProcessStreamEvent::exited(code));
            continuation.finish();
        });
    return std::move(events);
}

} // namespace tovr
