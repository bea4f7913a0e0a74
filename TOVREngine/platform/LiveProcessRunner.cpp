#include "platform/LiveProcessRunner.h"

#include "platform/ChildProcessRegistry.h"
#include "platform/Error.h"
#include "platform/LineSplitter.h"

#include <QStringDecoder>

namespace tovr {

QString decodeUtf8OrEmpty(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

ProcessResult LiveProcessRunner::run(const QString& executable, const QStringList& arguments,
                                     const std::optional<ProcessEnvironment>& environment) {
    return runCancellable(executable, arguments, environment, nullptr);
}

ProcessResult
LiveProcessRunner::runCancellable(const QString& executable, const QStringList& arguments,
                                  const std::optional<ProcessEnvironment>& environment,
                                  std::shared_ptr<LiveProcessCancellation> cancellation) {
    auto child = PosixChild::spawn(executable, arguments, environment, false, timings_);
    if (cancellation)
        cancellation->attach(child);
    QByteArray out, err;
    const qint32 code =
        child->drive([&](PosixChild::Channel channel, const char* data, qsizetype size) {
            (channel == PosixChild::Channel::out ? out : err).append(data, size);
        });
    return ProcessResult{code, decodeUtf8OrEmpty(out), decodeUtf8OrEmpty(err)};
}

EventStream<ProcessStreamEvent>
LiveProcessRunner::stream(const QString& executable, const QStringList& arguments,
                          const std::optional<ProcessEnvironment>& environment,
                          std::shared_ptr<LiveProcessCancellation> cancellation) {
    auto [events, continuation] = EventStream<ProcessStreamEvent>::make();
    std::shared_ptr<PosixChild> child;
    try {
        child = PosixChild::spawn(executable, arguments, environment, true, timings_);
    } catch (const Error& e) {
        continuation.yield(ProcessStreamEvent::failedToStart(e.description()));
        continuation.finish();
        return std::move(events);
    }
    if (!cancellation)
        cancellation = std::make_shared<LiveProcessCancellation>();
    cancellation->attach(child);
    // The consumer leaving (or a normal end) marks the handle canceled; a running child
    // is terminated.
    continuation.onTermination([cancellation](StreamTermination) { cancellation->cancel(); });

    ChildProcessRegistry::shared().start(child, [child, continuation] {
        LineSplitter splitter;
        std::vector<ProcessStreamEvent> batch;
        auto collect = [&](QString line) {
            batch.push_back(ProcessStreamEvent::line(std::move(line)));
        };
        // One yield per read: the lines of a chunk reach the consumer together.
        const qint32 code = child->drive(
            [&](PosixChild::Channel, const char* data, qsizetype size) {
                splitter.feed(data, size, collect);
                if (!batch.empty())
                    continuation.yieldFrom(batch);
            },
            [&] { return continuation.isTerminated(); });
        splitter.finish(collect);
        batch.push_back(ProcessStreamEvent::exited(code));
        continuation.yieldAll(std::move(batch));
        continuation.finish();
    });
    return std::move(events);
}

} // namespace tovr
