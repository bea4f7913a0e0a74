#pragma once

#include "platform/HTTPFetching.h"

#include <QNetworkReply>
#include <QObject>
#include <QTemporaryFile>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class QNetworkAccessManager;

namespace tovr {

// The network side of LiveHTTPFetcher: what a caller and the network thread share about a
// transfer, and the worker on that thread.
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

// Lives on the fetcher's thread and owns every QNetworkReply. Callers hand it work through
// a queue guarded by a std::mutex, so nothing they share travels inside Qt's event queue.
class HTTPWorker : public QObject {
public:
    // Starts `transfer` (stop `none`) or stops it for `stop`; from any thread.
    void post(std::shared_ptr<HTTPTransfer> transfer, StopReason stop);
    // Ends every transfer still running; on the worker's thread, before it quits.
    void shutdown();

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

    void drain();
    static void complete(HTTPTransfer& t, std::optional<URLError> error, QByteArray body = {},
                         QString filePath = {});
    void start(std::shared_ptr<HTTPTransfer> transfer);
    void stop(HTTPTransfer* key, StopReason reason);
    void onHead(HTTPTransfer* key, bool final);
    void onData(HTTPTransfer* key);
    void onFinished(HTTPTransfer* key);

    std::mutex queueLock_;
    std::deque<std::pair<std::shared_ptr<HTTPTransfer>, StopReason>> queue_;
    QNetworkAccessManager* nam_ = nullptr;
    std::map<HTTPTransfer*, Active> active_;
};

} // namespace detail

} // namespace tovr
