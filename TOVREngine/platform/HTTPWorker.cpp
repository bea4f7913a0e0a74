#include "platform/HTTPWorker.h"

#include "platform/LiveHTTPFetcher.h"

#include <QDir>
#include <QNetworkAccessManager>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tovr {

namespace detail {

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

void HTTPWorker::post(std::shared_ptr<HTTPTransfer> transfer, StopReason stop) {
    {
        std::lock_guard guard(queueLock_);
        queue_.push_back({std::move(transfer), stop});
    }
    QMetaObject::invokeMethod(
        this, [this] { drain(); }, Qt::QueuedConnection);
}

void HTTPWorker::shutdown() {
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

void HTTPWorker::drain() {
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

void HTTPWorker::complete(HTTPTransfer& t, std::optional<URLError> error, QByteArray body,
                          QString filePath) {
    std::lock_guard guard(t.m);
    t.finished = true;
    t.error = std::move(error);
    t.body = std::move(body);
    t.filePath = std::move(filePath);
    t.cv.notify_all();
}

void HTTPWorker::start(std::shared_ptr<HTTPTransfer> transfer) {
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
        connect(a.idle, &QTimer::timeout, this, [this, key] { stop(key, StopReason::timedOut); });
        a.idle->start();
    }
    active_.emplace(key, std::move(a));
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, key] { onHead(key, false); });
    connect(reply, &QNetworkReply::readyRead, this, [this, key] { onData(key); });
    connect(reply, &QNetworkReply::finished, this, [this, key] { onFinished(key); });
}

void HTTPWorker::stop(HTTPTransfer* key, StopReason reason) {
    auto it = active_.find(key);
    if (it == active_.end())
        return;
    if (it->second.stopReason == StopReason::none)
        it->second.stopReason = reason;
    it->second.reply->abort(); // finishes the reply; onFinished completes the transfer
}

void HTTPWorker::onHead(HTTPTransfer* key, bool final) {
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

void HTTPWorker::onData(HTTPTransfer* key) {
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

void HTTPWorker::onFinished(HTTPTransfer* key) {
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

} // namespace detail

} // namespace tovr
