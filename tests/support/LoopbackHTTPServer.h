#pragma once

#include "platform/HTTPFetching.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace tovr::test {

namespace detail {
class LoopbackServerCore;
}

// A scripted HTTP/1.1 server on 127.0.0.1 (a free port), served from a thread of its own
// that the server object stops and joins. Each path gets a scripted answer; every request
// is recorded. Each connection carries one request and is closed after the answer.
//
//     LoopbackHTTPServer server;
//     server.answer("/slow", {.body = "hello", .delay = 300ms});
//     fetcher.data({.url = server.url("/slow")});
class LoopbackHTTPServer {
public:
    using ms = std::chrono::milliseconds;

    struct Answer {
        int status = 200;
        // Sent as given; Content-Length (the whole body) and "Connection: close" are added
        // unless present.
        HTTPHeaders headers;
        QByteArray body;
        // A wait before the head is sent.
        ms delay{0};
        // Send only this many body bytes, then nothing more; the connection stays open.
        std::optional<qint64> stallAfter;
        // Send only this many body bytes, then close the connection.
        std::optional<qint64> dropAfter;
        // Close the connection without any answer.
        bool dropBeforeHead = false;
        // Send the body in pieces of `trickleBytes` every `trickleInterval` (0: at once).
        qint64 trickleBytes = 0;
        ms trickleInterval{0};
    };

    struct Request {
        QByteArray method;
        QByteArray target; // as sent, query included
        QByteArray path;   // without the query
        HTTPHeaders headers;
        QByteArray body;
        // The first header of that name (case-insensitive), or absent.
        std::optional<QByteArray> header(const QByteArray& name) const;
    };

    LoopbackHTTPServer();
    ~LoopbackHTTPServer();
    LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
    LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

    // Scripts the answer for `path` (no query); unscripted paths get 404 "not found".
    void answer(const QByteArray& path, Answer answer);
    // Shorthand: this status and body, at once.
    void answer(const QByteArray& path, int status, QByteArray body);

    quint16 port() const { return port_; }
    QUrl url(const QByteArray& path) const;
    // Requests whose head and body have arrived, in order of arrival.
    QList<Request> requests() const;
    QList<Request> requests(const QByteArray& path) const;

    // An address on 127.0.0.1 where nothing listens (a port just released).
    static QUrl refusedUrl(const QByteArray& path = "/");

private:
    friend class detail::LoopbackServerCore;
    Answer answerFor(const QByteArray& path) const;
    void record(Request request);

    mutable std::mutex lock_;
    QMap<QByteArray, Answer> answers_;
    QList<Request> requests_;
    quint16 port_ = 0;

    QThread thread_;
    detail::LoopbackServerCore* core_ = nullptr;
};

} // namespace tovr::test
