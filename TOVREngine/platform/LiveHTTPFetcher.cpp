#include "platform/LiveHTTPFetcher.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

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

namespace detail {

using Clock = std::chrono::steady_clock;

enum class Mode { body, file, count };
enum class StopReason { none, canceled, timedOut, enough, writeFailed, shutdown };

// What a caller and the network thread share about one transfer. The request fields are
// set before the transfer is handed over and never change; the rest is guarded by `m`.
struct HTTPTransfer {
    HTTPRequest request;
    Mode mode = Mode::body;
    qint64 limit = 0;

    std::mutex m;
    std::condition_variable cv;
    bool headReceived = false;
    Clock::time_point headTime;
    HTTPResponse response;
    qint64 received = 0;
    qint64 expected = -1;
    quint64 progressSeq = 0;
    bool finished = false;
    std::optional<URLError> error;
    QByteArray body;
    QString filePath;
    bool cancelRequested = false;
};

namespace {

// A status answer (4xx, 5xx) is a response, not a transport failure.
bool isStatusError(QNetworkReply::NetworkError error) {
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

bool isRedirect(int status) {
    return status >= 300 && status < 400 && status != 304;
}

} // namespace

// Lives on the fetcher's thread and owns every QNetworkReply. Callers hand it work through
// a queue guarded by a std::mutex, so nothing they share travels inside Qt's event queue.
class HTTPWorker : public QObject {
public:
    void post(std::shared_ptr<HTTPTransfer> transfer, StopReason stop) {
        {
            std::lock_guard guard(queueLock_);
            queue_.push_back({std::move(transfer), stop});
        }
        QMetaObject::invokeMethod(
            this, [this] { drain(); }, Qt::QueuedConnection);
    }

    void shutdown() {
        drain();
        std::vector<HTTPTransfer*> keys;
        for (const auto& [key, active] : active_)
            keys.push_back(key);
        for (auto* key : keys)
            stop(key, StopReason::shutdown);
        // An abort normally finishes its reply at once; anything left is ended here.
        for (auto& [key, a] : active_) {
            if (a.file)
                a.file->remove();
            complete(*a.transfer, URLError(URLError::Code::canceled));
        }
        active_.clear();
        delete nam_;
        nam_ = nullptr;
    }

private:
    struct Active {
        std::shared_ptr<HTTPTransfer> transfer;
        QNetworkReply* reply = nullptr;
        QTimer* idle = nullptr;
        std::unique_ptr<QTemporaryFile> file;
        QByteArray body;
        qint64 counted = 0;
        StopReason stopReason = StopReason::none;
        bool headSeen = false;
    };

    void drain() {
        std::deque<std::pair<std::shared_ptr<HTTPTransfer>, StopReason>> work;
        {
            std::lock_guard guard(queueLock_);
            work.swap(queue_);
        }
        for (auto& [transfer, stopReason] : work) {
            if (stopReason == StopReason::none)
                start(std::move(transfer));
            else
                stop(transfer.get(), stopReason);
        }
    }

    static void complete(HTTPTransfer& t, std::optional<URLError> error, QByteArray body = {},
                         QString filePath = {}) {
        std::lock_guard guard(t.m);
        t.finished = true;
        t.error = std::move(error);
        t.body = std::move(body);
        t.filePath = std::move(filePath);
        t.cv.notify_all();
    }

    void start(std::shared_ptr<HTTPTransfer> transfer) {
        HTTPTransfer& t = *transfer;
        const QUrl& url = t.request.url;
        if (!url.isValid() || url.host().isEmpty()) {
            complete(t, URLError(URLError::Code::badURL));
            return;
        }
        if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
            complete(t, URLError(URLError::Code::unsupportedURL));
            return;
        }
        if (!nam_) {
            nam_ = new QNetworkAccessManager(this);
            nam_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        }
        Active a;
        a.transfer = transfer;
        if (t.mode == Mode::file) {
            a.file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                      QStringLiteral("/tovr-download-XXXXXX"));
            a.file->setAutoRemove(false);
            if (!a.file->open()) {
                complete(t, URLError(URLError::Code::cannotCreateFile,
                                     URLError::describe(URLError::Code::cannotCreateFile) + u' ' +
                                         a.file->errorString()));
                return;
            }
            // Linux opens an unnamed file until the name is asked for; name it now so the
            // file behaves as on macOS while it fills.
            a.file->fileName();
        }
        QNetworkRequest request(url);
        for (const auto& [name, value] : t.request.headers)
            request.setRawHeader(name, value);
        a.reply = t.request.method == "GET" && t.request.body.isEmpty()
                      ? nam_->get(request)
                      : nam_->sendCustomRequest(request, t.request.method, t.request.body);
        HTTPTransfer* key = &t;
        QNetworkReply* reply = a.reply;
        const double timeout = t.request.timeoutSeconds;
        if (std::isfinite(timeout) && timeout > 0) {
            a.idle = new QTimer(reply);
            a.idle->setSingleShot(true);
            a.idle->setInterval(static_cast<int>(std::min(timeout * 1000.0, double(INT_MAX))));
            connect(a.idle, &QTimer::timeout, this,
                    [this, key] { stop(key, StopReason::timedOut); });
            a.idle->start();
        }
        active_.emplace(key, std::move(a));
        connect(reply, &QNetworkReply::metaDataChanged, this, [this, key] { onHead(key, false); });
        connect(reply, &QNetworkReply::readyRead, this, [this, key] { onData(key); });
        connect(reply, &QNetworkReply::finished, this, [this, key] { onFinished(key); });
    }

    void stop(HTTPTransfer* key, StopReason reason) {
        auto it = active_.find(key);
        if (it == active_.end())
            return;
        if (it->second.stopReason == StopReason::none)
            it->second.stopReason = reason;
        it->second.reply->abort(); // finishes the reply; onFinished completes the transfer
    }

    void onHead(HTTPTransfer* key, bool final) {
        auto it = active_.find(key);
        if (it == active_.end() || it->second.headSeen)
            return;
        Active& a = it->second;
        const QVariant status = a.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid() || (!final && isRedirect(status.toInt())))
            return; // no head yet, or one that a redirect replaces
        a.headSeen = true;
        HTTPTransfer& t = *a.transfer;
        std::lock_guard guard(t.m);
        t.headReceived = true;
        t.headTime = Clock::now();
        t.response.statusCode = status.toInt();
        t.response.headers = a.reply->rawHeaderPairs();
        t.response.url = a.reply->url();
        const QVariant length = a.reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            t.expected = length.toLongLong();
        t.cv.notify_all();
    }

    void onData(HTTPTransfer* key) {
        onHead(key, false);
        auto it = active_.find(key);
        if (it == active_.end())
            return;
        Active& a = it->second;
        HTTPTransfer& t = *a.transfer;
        if (a.idle)
            a.idle->start();
        const QByteArray chunk = a.reply->readAll();
        if (chunk.isEmpty())
            return;
        qint64 taken = chunk.size();
        switch (t.mode) {
        case Mode::body:
            a.body += chunk;
            break;
        case Mode::file:
            if (a.file->write(chunk) != chunk.size()) {
                stop(key, StopReason::writeFailed);
                return;
            }
            break;
        case Mode::count:
            taken = std::clamp<qint64>(t.limit - a.counted, 0, chunk.size());
            a.counted += taken;
            break;
        }
        const bool enough = t.mode == Mode::count && a.counted >= t.limit;
        {
            std::lock_guard guard(t.m);
            t.received += taken;
            ++t.progressSeq;
            t.cv.notify_all();
        }
        if (enough)
            stop(key, StopReason::enough);
    }

    void onFinished(HTTPTransfer* key) {
        auto it = active_.find(key);
        if (it == active_.end())
            return;
        if (it->second.stopReason == StopReason::none) {
            onData(key);
            it = active_.find(key);
            if (it == active_.end())
                return;
        }
        onHead(key, true);
        Active a = std::move(it->second);
        active_.erase(it);
        if (a.idle)
            a.idle->stop();
        a.reply->disconnect(this);
        a.reply->deleteLater();

        std::optional<URLError> error;
        switch (a.stopReason) {
        case StopReason::canceled:
            error = URLError(URLError::Code::canceled);
            break;
        case StopReason::timedOut:
            error = URLError(URLError::Code::timedOut);
            break;
        case StopReason::writeFailed:
            error = URLError(URLError::Code::cannotWriteToFile,
                             URLError::describe(URLError::Code::cannotWriteToFile) + u' ' +
                                 a.file->errorString());
            break;
        case StopReason::shutdown:
            error = URLError(URLError::Code::canceled,
                             QStringLiteral("The transfer was stopped because the application "
                                            "is closing."));
            break;
        case StopReason::enough:
            break;
        case StopReason::none:
            if (const auto e = a.reply->error();
                e != QNetworkReply::NoError && !(a.headSeen && isStatusError(e))) {
                const auto code = urlErrorCodeFor(e);
                error = URLError(code, code == URLError::Code::unknown ? a.reply->errorString()
                                                                       : URLError::describe(code));
            }
            break;
        }
        QString path;
        if (a.file) {
            const bool flushed = a.file->flush();
            a.file->close();
            if (!error && !flushed)
                error = URLError(URLError::Code::cannotWriteToFile);
            if (error)
                a.file->remove();
            else
                path = a.file->fileName();
        }
        complete(*a.transfer, std::move(error), std::move(a.body), std::move(path));
    }

    std::mutex queueLock_;
    std::deque<std::pair<std::shared_ptr<HTTPTransfer>, StopReason>> queue_;
    QNetworkAccessManager* nam_ = nullptr;
    std::map<HTTPTransfer*, Active> active_;
};

} // namespace detail

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
