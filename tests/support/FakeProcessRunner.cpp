#include "support/FakeProcessRunner.h"

#include "platform/Error.h"
#include "platform/LineSplitter.h"

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace tovr::test {

namespace {

QString keyOf(const QString& executable, const QStringList& arguments) {
    return executable + QChar(0) + arguments.join(QChar(0));
}

// A fake child: "runs" until its events are delivered; terminating it is recorded.
class FakeChild : public ChildProcess {
public:
    bool isRunning() const override { return false; }
    void terminate() override {}
};

// A fake child that runs through its answer's delay unless it is terminated first.
class DelayedChild final : public ChildProcess {
public:
    bool isRunning() const override {
        std::lock_guard guard(mutex_);
        return !terminated_;
    }
    void terminate() override {
        {
            std::lock_guard guard(mutex_);
            terminated_ = true;
        }
        wake_.notify_all();
    }
    // False when it was terminated before the delay was over.
    bool runFor(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, delay, [this] { return terminated_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool terminated_ = false;
};

} // namespace

void FakeProcessRunner::answer(const QString& executable, const QStringList& arguments,
                               Answer answer) {
    std::lock_guard guard(mutex_);
    exact_.insert(keyOf(executable, arguments), std::move(answer));
}

void FakeProcessRunner::answerWhen(std::function<bool(const QString&, const QStringList&)> matches,
                                   Answer answer) {
    std::lock_guard guard(mutex_);
    rules_.append({std::move(matches), std::move(answer)});
}

void FakeProcessRunner::answerOutput(const QString& executable, const QStringList& arguments,
                                     QString stdout_, qint32 exitCode, QString stderr_) {
    answer(executable, arguments,
           Answer{ProcessResult{exitCode, std::move(stdout_), std::move(stderr_)}, {}, {}, {}});
}

void FakeProcessRunner::answerShell(const QString& script, QString stdout_, qint32 exitCode,
                                    QString stderr_) {
    answerOutput(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script}, std::move(stdout_),
                 exitCode, std::move(stderr_));
}

void FakeProcessRunner::setDefault(std::optional<Answer> answer) {
    std::lock_guard guard(mutex_);
    default_ = std::move(answer);
}

QList<FakeProcessRunner::Call> FakeProcessRunner::calls() const {
    std::lock_guard guard(mutex_);
    return calls_;
}

int FakeProcessRunner::callCount(const QString& executable) const {
    std::lock_guard guard(mutex_);
    int n = 0;
    for (const auto& c : calls_)
        n += c.executable == executable ? 1 : 0;
    return n;
}

QStringList FakeProcessRunner::shellScripts() const {
    QStringList scripts;
    for (const auto& c : calls())
        if (c.executable == QLatin1String("/bin/zsh") && c.arguments.size() == 2)
            scripts << c.arguments[1];
    return scripts;
}

FakeProcessRunner::Answer FakeProcessRunner::lookup(const QString& executable,
                                                    const QStringList& arguments,
                                                    const std::optional<ProcessEnvironment>& env,
                                                    bool streamed) {
    std::lock_guard guard(mutex_);
    calls_.append(Call{executable, arguments, env, streamed});
    if (auto it = exact_.constFind(keyOf(executable, arguments)); it != exact_.cend())
        return *it;
    for (const auto& [matches, answer] : rules_)
        if (matches(executable, arguments))
            return answer;
    if (default_)
        return *default_;
    Answer missing;
    missing.launchError = QStringLiteral("No such file or directory");
    return missing;
}

ProcessResult FakeProcessRunner::run(const QString& executable, const QStringList& arguments,
                                     const std::optional<ProcessEnvironment>& environment) {
    const Answer a = lookup(executable, arguments, environment, false);
    if (a.delay.count() > 0)
        std::this_thread::sleep_for(a.delay);
    if (a.launchError)
        throw SystemError(2, *a.launchError);
    return a.result;
}

ProcessResult
FakeProcessRunner::runCancellable(const QString& executable, const QStringList& arguments,
                                  const std::optional<ProcessEnvironment>& environment,
                                  std::shared_ptr<LiveProcessCancellation> cancellation) {
    const Answer a = lookup(executable, arguments, environment, false);
    if (a.delay.count() > 0) {
        auto child = std::make_shared<DelayedChild>();
        if (cancellation)
            cancellation->attach(child);
        if (!child->runFor(a.delay))
            return ProcessResult{SIGTERM, {}, {}};
    }
    if (a.launchError)
        throw SystemError(2, *a.launchError);
    return a.result;
}

EventStream<ProcessStreamEvent>
FakeProcessRunner::stream(const QString& executable, const QStringList& arguments,
                          const std::optional<ProcessEnvironment>& environment,
                          std::shared_ptr<LiveProcessCancellation> cancellation) {
    const Answer a = lookup(executable, arguments, environment, true);
    auto [events, continuation] = EventStream<ProcessStreamEvent>::make();
    if (a.launchError) {
        continuation.yield(ProcessStreamEvent::failedToStart(*a.launchError));
        continuation.finish();
        return std::move(events);
    }
    if (cancellation)
        cancellation->attach(std::make_shared<FakeChild>());
    const QStringList lines =
        a.lines ? *a.lines : LineSplitter::split((a.result.stdout_ + a.result.stderr_).toUtf8());
    for (const auto& line : lines)
        continuation.yield(ProcessStreamEvent::line(line));
    continuation.yield(ProcessStreamEvent::exited(a.result.exitCode));
    continuation.finish();
    return std::move(events);
}

} // namespace tovr::test
