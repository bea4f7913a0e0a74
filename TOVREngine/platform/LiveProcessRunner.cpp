#include "platform/LiveProcessRunner.h"

#include "platform/ChildProcessRegistry.h"
#include "platform/Error.h"
#include "platform/LineSplitter.h"

#include <QStringDecoder>

#include <cstring>
#include <mutex>
#include <vector>

namespace tovr {

namespace {

// True when no byte has its high bit set: such text reads the same as Latin-1, whose
// decoding is a plain widening.
bool isAscii(const char* data, qsizetype size) {
    quint64 any = 0;
    qsizetype k = 0;
    for (; k + 8 <= size; k += 8) {
        quint64 word;
        std::memcpy(&word, data + k, sizeof word);
        any |= word;
    }
    for (; k < size; ++k)
        any |= static_cast<unsigned char>(data[k]);
    return (any & 0x8080808080808080ULL) == 0;
}

// The buffers of line batches, handed back by the consumer once it has made a batch's
// events, so that a long output keeps reusing a few warm buffers.
class LineBuffers {
public:
    struct Set {
        QByteArray bytes;
        std::vector<LineSplitter::Span> spans;
        std::vector<char16_t> text;
        std::vector<LineSplitter::Span> decoded; // in `text`; size -1 where not decoded
    };

    Set take() {
        std::lock_guard lock(mutex_);
        if (free_.empty())
            return {};
        Set set = std::move(free_.back());
        free_.pop_back();
        return set;
    }

    void giveBack(Set set) {
        // The buffers of one very long line are not worth keeping.
        constexpr qsizetype kLargest = 1 << 20;
        if (set.bytes.capacity() > kLargest)
            return;
        std::lock_guard lock(mutex_);
        if (free_.size() < 4)
            free_.push_back(std::move(set));
    }

private:
    std::mutex mutex_;
    std::vector<Set> free_;
};

// The complete lines of one read. The reader decodes the short ones into one buffer, which
// costs it little; the consumer copies each into a QString of its own, so every line's
// memory is allocated and freed on the consumer's thread. A long line is decoded by the
// consumer straight from its bytes, so that it is not held twice.
class LineBatch final : public EventBatch<ProcessStreamEvent> {
public:
    explicit LineBatch(std::shared_ptr<LineBuffers> buffers)
        : buffers_(std::move(buffers)), lines_(buffers_->take()) {}
    ~LineBatch() override { buffers_->giveBack(std::move(lines_)); }

    std::size_t size() const override { return lines_.spans.size(); }
    ProcessStreamEvent make(std::size_t i) override {
        const auto& text = lines_.decoded[i];
        if (text.size >= 0)
            return ProcessStreamEvent::line(QString(
                reinterpret_cast<const QChar*>(lines_.text.data() + text.offset), text.size));
        const auto& line = lines_.spans[i];
        return ProcessStreamEvent::line(
            QString::fromUtf8(lines_.bytes.constData() + line.offset, line.size));
    }

    void takeFrom(LineSplitter& splitter, QStringDecoder& utf8, QStringDecoder& latin1) {
        splitter.takeLines(lines_.bytes, lines_.spans);
        constexpr qsizetype kLongLine = 4096;
        // A line never decodes to more UTF-16 units than it has bytes.
        std::size_t room = 0;
        for (const auto& line : lines_.spans)
            room += line.size > kLongLine ? 0 : static_cast<std::size_t>(line.size);
        if (lines_.text.size() < room)
            lines_.text.resize(room);
        auto* const start = reinterpret_cast<QChar*>(lines_.text.data());
        QChar* out = start;
        lines_.decoded.clear();
        for (const auto& line : lines_.spans) {
            if (line.size > kLongLine) {
                lines_.decoded.push_back({0, -1});
                continue;
            }
            const QByteArrayView bytes(lines_.bytes.constData() + line.offset, line.size);
            QChar* end =
                (isAscii(bytes.data(), bytes.size()) ? latin1 : utf8).appendToBuffer(out, bytes);
            lines_.decoded.push_back({out - start, end - out});
            out = end;
        }
    }

private:
    std::shared_ptr<LineBuffers> buffers_;
    LineBuffers::Set lines_;
};

} // namespace

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
    const auto raw = runRaw(executable, arguments, environment, std::move(cancellation));
    return ProcessResult{raw.exitCode, decodeUtf8OrEmpty(raw.stdout_),
                         decodeUtf8OrEmpty(raw.stderr_)};
}

RawProcessResult LiveProcessRunner::runRaw(const QString& executable, const QStringList& arguments,
                                           const std::optional<ProcessEnvironment>& environment,
                                           std::shared_ptr<LiveProcessCancellation> cancellation) {
    auto child = PosixChild::spawn(executable, arguments, environment, false, timings_);
    if (cancellation)
        cancellation->attach(child);
    RawProcessResult result;
    result.exitCode = child->drive([&](PosixChild::Channel channel, const char* data,
                                       qsizetype size) {
        (channel == PosixChild::Channel::out ? result.stdout_ : result.stderr_).append(data, size);
    });
    return result;
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
        // Stateless: each line decodes as QString::fromUtf8 would decode it alone.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QStringDecoder latin1(QStringDecoder::Latin1, QStringDecoder::Flag::Stateless);
        auto buffers = std::make_shared<LineBuffers>();
        // One hand-over per read: the lines of a chunk reach the consumer together.
        auto handOver = [&] {
            if (!splitter.hasLines())
                return;
            auto batch = std::make_unique<LineBatch>(buffers);
            batch->takeFrom(splitter, utf8, latin1);
            continuation.yieldBatch(std::move(batch));
        };
        const qint32 code = child->drive(
            [&](PosixChild::Channel, const char* data, qsizetype size) {
                splitter.feedBytes(data, size);
                handOver();
            },
            [&] { return continuation.isTerminated(); });
        splitter.finishBytes();
        handOver();
        continuation.yield(ProcessStreamEvent::exited(code));
        continuation.finish();
    });
    return std::move(events);
}

} // namespace tovr
