#include "support/LoopbackHTTPServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <stdexcept>

namespace tovr::test {

namespace detail {

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool hasHeader(const HTTPHeaders& headers, const QByteArray& name) {
    for (const auto& [n, v] : headers)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

// Lives on the server's thread; owns the listening socket and every connection.
class LoopbackServerCore : public QObject {
public:
    explicit LoopbackServerCore(LoopbackHTTPServer* owner) : owner_(owner) {}

    quint16 listen() {
        server_ = new QTcpServer(this);
        if (!server_->listen(QHostAddress::LocalHost, 0))
            return 0;
        connect(server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection())
                accept(socket);
        });
        return server_->serverPort();
    }

    void shutdown() {
        if (server_)
            server_->close();
        for (const auto& socket : findChildren<QTcpSocket*>())
            socket->abort();
        qDeleteAll(findChildren<QTcpSocket*>());
        delete server_;
        server_ = nullptr;
    }

private:
    void accept(QTcpSocket* socket) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        auto done = std::make_shared<bool>(false);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, done] {
            *buffer += socket->readAll();
            if (*done)
                return;
            auto request = parse(*buffer);
            if (!request)
                return;
            *done = true;
            const QByteArray path = request->path;
            owner_->record(std::move(*request));
            const auto answer = owner_->answerFor(path);
            QTimer::singleShot(answer.delay, socket,
                               [this, socket, answer] { respond(socket, answer); });
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    // A whole request, or absent while its head or body is still arriving.
    static std::optional<LoopbackHTTPServer::Request> parse(const QByteArray& buffer) {
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return std::nullopt;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        LoopbackHTTPServer::Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        request.path = request.target.left(
            request.target.indexOf('?') < 0 ? request.target.size() : request.target.indexOf('?'));
        qsizetype length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                length = value.toLongLong();
        }
        if (buffer.size() - (end + 4) < length)
            return std::nullopt;
        request.body = buffer.mid(end + 4, length);
        return request;
    }

    void respond(QTcpSocket* socket, const LoopbackHTTPServer::Answer& answer) {
        if (answer.dropBeforeHead) {
            socket->close();
            return;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                          reasonPhrase(answer.status) + "\r\n";
        for (const auto& [name, value] : answer.headers)
            head += name + ": " + value + "\r\n";
        if (!hasHeader(answer.headers, "Content-Length"))
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        if (!hasHeader(answer.headers, "Connection"))
            head += "Connection: close\r\n";
        head += "\r\n";
        socket->write(head);

        qint64 bodyBytes = answer.body.size();
        if (answer.stallAfter)
            bodyBytes = std::min(bodyBytes, *answer.stallAfter);
        if (answer.dropAfter)
            bodyBytes = std::min(bodyBytes, *answer.dropAfter);
        const QByteArray body = answer.body.left(bodyBytes);
        auto afterBody = [socket, answer] {
            if (answer.stallAfter)
                return; // hold the connection open, silent
            if (answer.dropAfter)
                socket->close();
            else
                socket->disconnectFromHost();
        };
        if (answer.trickleBytes <= 0) {
            socket->write(body);
            afterBody();
            return;
        }
        auto sent = std::make_shared<qint64>(0);
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent, answer, afterBody] {
            const QByteArray piece = body.mid(*sent, answer.trickleBytes);
            *sent += piece.size();
            socket->write(piece);
            if (*sent >= body.size()) {
                timer->stop();
                afterBody();
            }
        });
        timer->start(answer.trickleInterval);
    }

    LoopbackHTTPServer* owner_;
    QTcpServer* server_ = nullptr;
};

} // namespace detail

std::optional<QByteArray> LoopbackHTTPServer::Request::header(const QByteArray& name) const {
    for (const auto& [n, v] : headers)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return std::nullopt;
}

LoopbackHTTPServer::LoopbackHTTPServer() : core_(new detail::LoopbackServerCore(this)) {
    thread_.setObjectName(QStringLiteral("loopback-http"));
    core_->moveToThread(&thread_);
    thread_.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        core_, [this, &port] { port = core_->listen(); }, Qt::BlockingQueuedConnection);
    if (port == 0) {
        thread_.quit();
        thread_.wait();
        delete core_;
        throw std::runtime_error("the loopback server cannot listen");
    }
    std::lock_guard guard(lock_);
    port_ = port;
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
    QMetaObject::invokeMethod(
        core_, [this] { core_->shutdown(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete core_;
}

void LoopbackHTTPServer::answer(const QByteArray& path, Answer answer) {
    std::lock_guard guard(lock_);
    answers_.insert(path, std::move(answer));
}

void LoopbackHTTPServer::answer(const QByteArray& path, int status, QByteArray body) {
    Answer a;
    a.status = status;
    a.body = std::move(body);
    answer(path, std::move(a));
}

QUrl LoopbackHTTPServer::url(const QByteArray& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port_) + QString::fromUtf8(path));
}

QList<LoopbackHTTPServer::Request> LoopbackHTTPServer::requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

QList<LoopbackHTTPServer::Request> LoopbackHTTPServer::requests(const QByteArray& path) const {
    QList<Request> matching;
    for (const auto& r : requests())
        if (r.path == path)
            matching << r;
    return matching;
}

QUrl LoopbackHTTPServer::refusedUrl(const QByteArray& path) {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("no free port");
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port) + QString::fromUtf8(path));
}

LoopbackHTTPServer::Answer LoopbackHTTPServer::answerFor(const QByteArray& path) const {
    std::lock_guard guard(lock_);
    if (auto it = answers_.constFind(path); it != answers_.cend())
        return *it;
    Answer missing;
    missing.status = 404;
    missing.body = "not found";
    return missing;
}

void LoopbackHTTPServer::record(Request request) {
    std::lock_guard guard(lock_);
    requests_.append(std::move(request));
}

} // namespace tovr::test
