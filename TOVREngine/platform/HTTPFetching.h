#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

#include <functional>
#include <memory>
#include <mutex>

namespace tovr {

using HTTPHeaders = QList<QPair<QByteArray, QByteArray>>;

// A request as the system prepares it.
struct HTTPRequest {
    QUrl url;
    QByteArray method = "GET";
    HTTPHeaders headers;
    QByteArray body;
    double timeoutSeconds = 60;
};

struct HTTPResponse {
    int statusCode = 0;
    HTTPHeaders headers;
    QUrl url;
};

// A transport failure: no connection, a time-out or a canceled transfer. The status of a
// response is never an error here.
class URLError : public Error {
public:
    enum class Code {
        unknown,
        canceled,
        badURL,
        timedOut,
        unsupportedURL,
        cannotFindHost,
        cannotConnectToHost,
        networkConnectionLost,
        dnsLookupFailed,
        notConnectedToInternet,
        secureConnectionFailed,
        cannotLoadFromNetwork,
        badServerResponse,
        cannotCreateFile,
        cannotWriteToFile,
        dataNotAllowed,
        internationalRoamingOff,
        resourceUnavailable,
    };
    URLError(Code code, QString description) : Error(std::move(description)), code_(code) {}
    // An error with the standard sentence for its code.
    explicit URLError(Code code) : URLError(code, describe(code)) {}
    Code code() const noexcept { return code_; }
    static QString describe(Code code);

private:
    Code code_;
};

// Lets a caller on another thread stop a transfer; the transfer then throws `canceled`.
class HTTPCancellation {
public:
    // Any thread, any number of times; the handler runs on the first call only.
    void cancel() {
        std::function<void()> handler;
        {
            std::lock_guard guard(lock_);
            if (canceled_)
                return;
            canceled_ = true;
            handler = handler_;
        }
        if (handler)
            handler();
    }
    bool isCanceled() const {
        std::lock_guard guard(lock_);
        return canceled_;
    }
    // For fetchers: `handler` runs on cancel, at once when already canceled. The fetcher
    // clears it (nullptr) before its call returns.
    void setHandler(std::function<void()> handler) {
        bool runNow = false;
        {
            std::lock_guard guard(lock_);
            handler_ = handler;
            runNow = canceled_ && handler_;
        }
        if (runNow)
            handler();
    }

private:
    mutable std::mutex lock_;
    bool canceled_ = false;
    std::function<void()> handler_;
};

// Bytes counted by a timed sample.
struct ByteSample {
    qint64 bytes = 0;
    double elapsedSeconds = 0;
};

// Progress of a download: bytes so far and the expected total (-1 when unknown).
using DownloadProgress = std::function<void(qint64 received, qint64 expected)>;

// HTTP access. Calls block; they are safe from any thread but the one that serves them.
class HTTPFetching {
public:
    virtual ~HTTPFetching() = default;

    // The whole body and the response head. Throws URLError.
    virtual std::pair<QByteArray, HTTPResponse>
    data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation = {}) = 0;

    // Downloads the body into a new temporary file and returns its path. Throws URLError.
    virtual std::pair<QString, HTTPResponse>
    download(const HTTPRequest& request, DownloadProgress progress = {},
             std::shared_ptr<HTTPCancellation> cancellation = {}) = 0;

    // Counts body bytes up to `limit` for at most `timeoutSeconds` after the response head.
    // Only the request itself can fail (URLError).
    virtual ByteSample sampleBytes(const HTTPRequest& request, qint64 limit,
                                   double timeoutSeconds) = 0;
};

} // namespace tovr
