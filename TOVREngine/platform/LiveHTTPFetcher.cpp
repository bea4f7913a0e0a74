#include "platform/LiveHTTPFetcher.h"

#include "platform/HTTPWorker.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace tovr {

URLError::Code urlErrorCodeFor(QNetworkReply::NetworkError error) {
    using E = QNetworkReply::NetworkError;
    using C = URLError::Code;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
        return C::cannotConnectToHost;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
    case E::TemporaryNetworkFailureError:
        return C::networkConnectionLost;
    case E::HostNotFoundError:
    case E::ProxyNotFoundError:
        return C::cannotFindHost;
    case E::TimeoutError:
    case E::ProxyTimeoutError:
        return C::timedOut;
    case E::OperationCanceledError:
        return C::canceled;
    case E::SslHandshakeFailedError:
    case E::InsecureRedirectError:
        return C::secureConnectionFailed;
    case E::NetworkSessionFailedError:
        return C::notConnectedToInternet;
    case E::BackgroundRequestNotAllowedError:
        return C::dataNotAllowed;
    case E::TooManyRedirectsError:
    case E::ProtocolInvalidOperationError:
    case E::ProtocolFailure:
        return C::badServerResponse;
    case E::ProtocolUnknownError:
        return C::unsupportedURL;
    default:
        return C::unknown;
    }
}

using detail::Clock;
using detail::HTTPTransfer;
using detail::Mode;
using detail::StopReason;

namespace {

// Seconds as a wait the standard library can add to a time point without overflow.
Clock::duration boundedSeconds(double seconds) {
    if (!(seconds > 0))
        return Clock::duration::zero();
    constexpr double limit = 365.0 * 24 * 3600;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::min(seconds, limit)));
}

// Routes a caller's cancel to its transfer while the call lasts.
class CancellationBridge {
public:
    CancellationBridge(std::shared_ptr<HTTPCancellation> cancellation,
                       const std::shared_ptr<HTTPTransfer>& transfer)
        : cancellation_(std::move(cancellation)) {
        if (!cancellation_)
            return;
        std::weak_ptr<HTTPTransfer> weak = transfer;
        cancellation_->setHandler([weak] {
            if (auto t = weak.lock()) {
                std::lock_guard guard(t->m);
                t->cancelRequested = true;
                t->cv.notify_all();
            }
        });
    }
    ~CancellationBridge() {
        if (cancellation_)
            cancellation_->setHandler(nullptr);
    }
    CancellationBridge(const CancellationBridge&) = delete;
    CancellationBridge& operator=(const CancellationBridge&) = delete;

private:
    std::shared_ptr<HTTPCancellation> cancellation_;
};

} // namespace

LiveHTTPFetcher::LiveHTTPFetcher() : worker_(new detail::HTTPWorker) {
    thread_.setObjectName(QStringLiteral("tovr-http"));
    worker_->moveToThread(&thread_);
    thread_.start();
}

LiveHTTPFetcher::~LiveHTTPFetcher() {
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->shutdown(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

std::shared_ptr<HTTPTransfer> LiveHTTPFetcher::begin(const HTTPRequest& request, int mode,
                                                     qint64 limit) {
    if (QThread::currentThread() == &thread_)
        throw URLError(URLError::Code::unknown,
                       QStringLiteral("An HTTP call cannot wait on its own network thread."));
    auto transfer = std::make_shared<HTTPTransfer>();
    transfer->request = request;
    transfer->mode = static_cast<Mode>(mode);
    transfer->limit = limit;
    worker_->post(transfer, StopReason::none);
    return transfer;
}

void LiveHTTPFetcher::finish(const std::shared_ptr<HTTPTransfer>& t,
                             const std::shared_ptr<HTTPCancellation>& cancellation,
                             const DownloadProgress& progress) {
    CancellationBridge bridge(cancellation, t);
    std::unique_lock lock(t->m);
    bool stopSent = false;
    quint64 seen = 0;
    for (;;) {
        t->cv.wait(lock, [&] {
            return t->finished || (t->cancelRequested && !stopSent) ||
                   (progress && t->progressSeq != seen);
        });
        if (t->finished)
            break;
        if (t->cancelRequested && !stopSent) {
            stopSent = true;
            lock.unlock();
            worker_->post(t, StopReason::canceled);
            lock.lock();
            continue;
        }
        seen = t->progressSeq;
        const qint64 received = t->received;
        const qint64 expected = t->expected;
        lock.unlock();
        progress(received, expected);
        lock.lock();
    }
    if (t->error)
        throw *t->error;
    // The last piece may arrive together with the end: report the whole size once.
    if (progress && t->progressSeq != seen) {
        const qint64 received = t->received;
        const qint64 expected = t->expected;
        lock.unlock();
        progress(received, expected);
    }
}

std::pair<QByteArray, HTTPResponse>
LiveHTTPFetcher::data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation) {
    if (cancellation && cancellation->isCanceled())
        throw URLError(URLError::Code::canceled);
    auto t = begin(request, int(Mode::body), 0);
    finish(t, cancellation, {});
    std::lock_guard guard(t->m);
    return {std::move(t->body), t->response};
}

std::pair<QString, HTTPResponse>
LiveHTTPFetcher::download(const HTTPRequest& request, DownloadProgress progress,
                          std::shared_ptr<HTTPCancellation> cancellation) {
    if (cancellation && cancellation->isCanceled())
        throw URLError(URLError::Code::canceled);
    auto t = begin(request, int(Mode::file), 0);
    finish(t, cancellation, progress);
    std::lock_guard guard(t->m);
    return {t->filePath, t->response};
}

ByteSample LiveHTTPFetcher::sampleBytes(const HTTPRequest& request, qint64 limit,
                                        double timeoutSeconds) {
    limit = std::max<qint64>(limit, 0);
    auto t = begin(request, int(Mode::count), limit);
    std::unique_lock lock(t->m);
    t->cv.wait(lock, [&] { return t->headReceived || t->finished; });
    if (!t->headReceived) {
        if (t->error)
            throw *t->error;
        throw URLError(URLError::Code::badServerResponse);
    }
    // The clock starts at the head: connection set-up and the wait for it do not count.
    const Clock::time_point start = t->headTime;
    t->cv.wait_until(lock, start + boundedSeconds(timeoutSeconds),
                     [&] { return t->finished || t->received >= limit; });
    const qint64 bytes = t->received;
    const bool finished = t->finished;
    lock.unlock();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (!finished)
        worker_->post(t, StopReason::enough);
    return ByteSample{bytes, std::max(elapsed, 0.0001)};
}

} // namespace tovr
