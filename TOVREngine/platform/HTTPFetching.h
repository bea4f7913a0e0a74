#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

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

// A transport failure: no connection, a time-out or a cancelled transfer. The status of a
// response is never an error here.
class URLError : public Error {
public:
    enum class Code {
        unknown,
        cancelled,
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
    };
    URLError(Code code, QString description) : Error(std::move(description)), code_(code) {}
    Code code() const noexcept { return code_; }

private:
    Code code_;
};

// Lets a caller on another thread stop a transfer; the transfer then throws `cancelled`.
class HTTPCancellation {
public:
    void cancel() { cancelled_.store(true); }
    bool isCancelled() const { return cancelled_.load(); }

private:
    std::atomic<bool> cancelled_{false};
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
