#pragma once

#include "platform/HTTPFetching.h"

#include <QNetworkReply>
#include <QThread>

#include <memory>

namespace tovr {

namespace detail {
class HTTPWorker;
struct HTTPTransfer;
} // namespace detail

// HTTP over one QNetworkAccessManager that lives on a thread of the fetcher's own. Callers
// on any other thread block until their transfer ends; the destructor stops every transfer
// still running (their callers get `canceled`) and joins the thread.
//
// Redirects are followed unless they lead from https to http. A request's timeoutSeconds
// bounds each wait for data (the head or the next part of the body), as an idle timeout.
class LiveHTTPFetcher final : public HTTPFetching {
public:
    LiveHTTPFetcher();
    ~LiveHTTPFetcher() override;
    LiveHTTPFetcher(const LiveHTTPFetcher&) = delete;
    LiveHTTPFetcher& operator=(const LiveHTTPFetcher&) = delete;

    std::pair<QByteArray, HTTPResponse>
    data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation = {}) override;

    // The file is created in the system's temporary folder; the caller owns it. On failure
    // or cancellation nothing is left behind. `progress` runs on the calling thread.
    std::pair<QString, HTTPResponse>
    download(const HTTPRequest& request, DownloadProgress progress = {},
             std::shared_ptr<HTTPCancellation> cancellation = {}) override;

    ByteSample sampleBytes(const HTTPRequest& request, qint64 limit,
                           double timeoutSeconds) override;

private:
    std::shared_ptr<detail::HTTPTransfer> begin(const HTTPRequest& request, int mode, qint64 limit);
    // Waits for the end of a body or file transfer; throws its URLError.
    void finish(const std::shared_ptr<detail::HTTPTransfer>& transfer,
                const std::shared_ptr<HTTPCancellation>& cancellation,
                const DownloadProgress& progress);

    QThread thread_;
    detail::HTTPWorker* worker_ = nullptr;
};

// How Qt's network errors read as URL-loading errors. One table for the whole system.
URLError::Code urlErrorCodeFor(QNetworkReply::NetworkError error);

} // namespace tovr
