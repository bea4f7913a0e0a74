#pragma once

#include "platform/LiveProcessCancellation.h"
#include "platform/ProcessRunning.h"

#include <QMap>

#include <chrono>
#include <functional>
#include <mutex>

namespace tovr::test {

// A scripted ProcessRunning: answers are keyed by executable and arguments, every call is
// recorded. A call with no answer behaves as a program that cannot be launched.
class FakeProcessRunner : public ProcessRunning {
public:
    struct Answer {
        ProcessResult result;
        // For stream(): the lines to emit (defaults to stdout's lines).
        std::optional<QStringList> lines;
        // The program cannot be launched: run() throws, stream() yields failedToStart.
        std::optional<QString> launchError;
        std::chrono::milliseconds delay{0};
    };
    struct Call {
        QString executable;
        QStringList arguments;
        std::optional<ProcessEnvironment> environment;
        bool streamed = false;
    };

    // Answers this exact command line.
    void answer(const QString& executable, const QStringList& arguments, Answer answer);
    // Answers a command line when no exact answer exists and `matches` accepts it.
    void answerWhen(std::function<bool(const QString&, const QStringList&)> matches, Answer answer);
    // Shorthands.
    void answerOutput(const QString& executable, const QStringList& arguments, QString stdout_,
                      qint32 exitCode = 0, QString stderr_ = {});
    // A zsh login-shell script: "/bin/zsh" "-lc" script.
    void answerShell(const QString& script, QString stdout_, qint32 exitCode = 0,
                     QString stderr_ = {});
    // Applied when nothing else answers; unset means "cannot be launched".
    void setDefault(std::optional<Answer> answer);

    QList<Call> calls() const;
    int callCount(const QString& executable) const;
    // Scripts passed to "/bin/zsh -lc", in call order.
    QStringList shellScripts() const;

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment = {}) override;
    // Like run(), but a cancel cuts the answer's delay short: the child ends by SIGTERM.
    ProcessResult runCancellable(const QString& executable, const QStringList& arguments,
                                 const std::optional<ProcessEnvironment>& environment,
                                 std::shared_ptr<LiveProcessCancellation> cancellation) override;
    EventStream<ProcessStreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment,
           std::shared_ptr<LiveProcessCancellation> cancellation) override;

private:
    Answer lookup(const QString& executable, const QStringList& arguments,
                  const std::optional<ProcessEnvironment>& environment, bool streamed);

    mutable std::mutex mutex_;
    QMap<QString, Answer> exact_;
    QList<QPair<std::function<bool(const QString&, const QStringList&)>, Answer>> rules_;
    std::optional<Answer> default_;
    QList<Call> calls_;
};

} // namespace tovr::test
