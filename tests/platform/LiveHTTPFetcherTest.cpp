#include "platform/LiveHTTPFetcher.h"
#include "platform/JoiningThread.h"
#include "platform/NetworkReadinessProbe.h"
#include "support/LoopbackHTTPServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace tovr;
using namespace std::chrono_literals;
using tovr::test::LoopbackHTTPServer;
using Answer = LoopbackHTTPServer::Answer;

namespace {

HTTPRequest get(const QUrl& url, double timeout = 5) {
    HTTPRequest r;
    r.url = url;
    r.timeoutSeconds = timeout;
    return r;
}

URLError::Code failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const URLError& e) {
        return e.code();
    }
    ADD_FAILURE() << "no URLError";
    return URLError::Code::unknown;
}

class LiveHTTPFetcherTest : public ::testing::Test {
protected:
    LoopbackHTTPServer server;
    LiveHTTPFetcher fetcher;
};

} // namespace

TEST_F(LiveHTTPFetcherTest, SampleCountsBodyBytesUpToTheLimitWhateverTheStatus) {
    server.answer("/big", 200, QByteArray(2'000'000, 'x'));
    server.answer("/small", 200, QByteArray(500, 'x'));
    server.answer("/missing", 404, QByteArray(700, 'e'));
    server.answer("/empty", 204, {});

    const ByteSample big = fetcher.sampleBytes(get(server.url("/big")), 100'000, 3);
    EXPECT_EQ(big.bytes, 100'000);
    const ByteSample small = fetcher.sampleBytes(get(server.url("/small")), 800'000, 3);
    EXPECT_EQ(small.bytes, 500);
    EXPECT_GE(small.elapsedSeconds, 0.0001);
    EXPECT_LT(small.elapsedSeconds, 1.0);
    EXPECT_EQ(fetcher.sampleBytes(get(server.url("/missing")), 800'000, 3).bytes, 700);
    const ByteSample empty = fetcher.sampleBytes(get(server.url("/empty")), 800'000, 3);
    EXPECT_EQ(empty.bytes, 0);
    EXPECT_GE(empty.elapsedSeconds, 0.0001);
}

TEST_F(LiveHTTPFetcherTest, SampleClockStartsAtTheHeadAndAStalledBodyEndsAtTheTimeout) {
    Answer late;
    late.body = QByteArray(1000, 'x');
    late.delay = 300ms;
    server.answer("/late", late);
    EXPECT_LT(fetcher.sampleBytes(get(server.url("/late")), 800'000, 3).elapsedSeconds, 0.2);

    Answer stalled;
    stalled.body = QByteArray(100'000, 'x');
    stalled.stallAfter = 1000;
    server.answer("/stall", stalled);
    const auto started = std::chrono::steady_clock::now();
    const ByteSample s = fetcher.sampleBytes(get(server.url("/stall")), 800'000, 0.3);
    EXPECT_EQ(s.bytes, 1000);
    EXPECT_GE(s.elapsedSeconds, 0.29);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);

    // A connection dropped mid-body ends the count without an error.
    Answer dropped;
    dropped.body = QByteArray(10'000, 'x');
    dropped.dropAfter = 2000;
    server.answer("/drop", dropped);
    EXPECT_EQ(fetcher.sampleBytes(get(server.url("/drop")), 800'000, 3).bytes, 2000);
}

TEST_F(LiveHTTPFetcherTest, FailuresBeforeTheHeadAreURLErrors) {
    EXPECT_EQ(failureOf([&] { fetcher.sampleBytes(get(LoopbackHTTPServer::refusedUrl()), 10, 3); }),
              URLError::Code::cannotConnectToHost);
    EXPECT_EQ(
        failureOf([&] { fetcher.sampleBytes(get(QUrl("http://nonexistent.invalid/")), 10, 3); }),
        URLError::Code::cannotFindHost);

    Answer dropped;
    dropped.dropBeforeHead = true;
    server.answer("/drop", dropped);
    EXPECT_EQ(failureOf([&] { fetcher.data(get(server.url("/drop"))); }),
              URLError::Code::networkConnectionLost);

    Answer slowHead;
    slowHead.delay = 3s;
    server.answer("/slow", slowHead);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf([&] { fetcher.data(get(server.url("/slow"), 0.2)); }),
              URLError::Code::timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);

    EXPECT_EQ(failureOf([&] { fetcher.data(get(QUrl("ftp://example.com/x"))); }),
              URLError::Code::unsupportedURL);
}

TEST_F(LiveHTTPFetcherTest, DataReturnsBodyAndHeadAndSendsTheRequestAsGiven) {
    Answer created;
    created.status = 201;
    created.headers = {{"X-Reply", "yes"}};
    created.body = "{\"ok\":true}";
    server.answer("/events", created);
    server.answer("/gone", 404, "no such page");

    HTTPRequest post = get(server.url("/events?batch=1"));
    post.method = "POST";
    post.headers = {{"Content-Type", "application/json"}, {"X-Token", "abc"}};
    post.body = "[1,2,3]";
    const auto [body, response] = fetcher.data(post);
    EXPECT_EQ(body, "{\"ok\":true}");
    EXPECT_EQ(response.statusCode, 201);
    EXPECT_TRUE(response.headers.contains(qMakePair(QByteArray("X-Reply"), QByteArray("yes"))));

    const auto requests = server.requests("/events");
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/events?batch=1");
    EXPECT_EQ(requests[0].header("x-token"), "abc");
    EXPECT_EQ(requests[0].body, "[1,2,3]");

    const auto [missing, head] = fetcher.data(get(server.url("/gone")));
    EXPECT_EQ(head.statusCode, 404);
    EXPECT_EQ(missing, "no such page");

    // Release assets live behind redirects: the answer is the final one's.
    LoopbackHTTPServer::Answer moved;
    moved.status = 302;
    moved.headers = {{"Location", "/gone"}};
    moved.body = "moved";
    server.answer("/latest", moved);
    const auto [final, finalHead] = fetcher.data(get(server.url("/latest")));
    EXPECT_EQ(finalHead.statusCode, 404);
    EXPECT_EQ(finalHead.url, server.url("/gone"));
    EXPECT_EQ(final, "no such page");
    EXPECT_EQ(fetcher.sampleBytes(get(server.url("/latest")), 1000, 3).bytes, 12);
}

TEST_F(LiveHTTPFetcherTest, DownloadWritesATemporaryFileAndReportsProgress) {
    const QByteArray payload(300'000, 'p');
    Answer trickled;
    trickled.body = payload;
    trickled.trickleBytes = 100'000;
    trickled.trickleInterval = 10ms;
    server.answer("/pkg", trickled);

    QList<QPair<qint64, qint64>> progress;
    const auto [path, response] =
        fetcher.download(get(server.url("/pkg")), [&](qint64 got, qint64 total) {
            progress.append({got, total});
        });
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_TRUE(path.startsWith(QDir::tempPath() + "/")) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), payload);
    file.remove();
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), qMakePair(qint64(300'000), qint64(300'000)));
}

TEST_F(LiveHTTPFetcherTest, ACanceledDownloadThrowsAndLeavesNoFile) {
    QTemporaryDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));

    Answer stalled;
    stalled.body = QByteArray(1'000'000, 'x');
    stalled.stallAfter = 5000;
    server.answer("/pkg", stalled);
    auto cancellation = std::make_shared<HTTPCancellation>();
    std::thread canceller;
    bool fileWhileRunning = false;
    const auto code = failureOf([&] {
        fetcher.download(
            get(server.url("/pkg")),
            [&](qint64, qint64) {
                fileWhileRunning = !QDir(tmp.path()).isEmpty();
                if (!canceller.joinable())
                    canceller = std::thread([cancellation] { cancellation->cancel(); });
            },
            cancellation);
    });
    canceller.join();
    EXPECT_EQ(code, URLError::Code::canceled);
    EXPECT_TRUE(fileWhileRunning);
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());

    // Cancelled before the call: nothing is sent.
    const auto before = server.requests().size();
    EXPECT_EQ(failureOf([&] { fetcher.data(get(server.url("/pkg")), cancellation); }),
              URLError::Code::canceled);
    EXPECT_EQ(server.requests().size(), before);

    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST_F(LiveHTTPFetcherTest, CallsFromManyThreadsShareTheOneNetworkThread) {
    server.answer("/n", 200, "body");
    std::vector<JoiningThread> callers;
    std::atomic<int> ok{0};
    for (int i = 0; i < 8; ++i)
        callers.emplace_back([&] {
            if (fetcher.data(get(server.url("/n"))).first == "body")
                ++ok;
        });
    callers.clear();
    EXPECT_EQ(ok.load(), 8);
}

// Which of Qt's failures mean "the server is out of reach" for the readiness check.
TEST(URLErrorMapping, QtErrorsMapToTheHardNetworkCodes) {
    using E = QNetworkReply::NetworkError;
    using C = URLError::Code;
    const struct {
        E qt;
        C code;
        bool down;
    } rows[] = {
        {E::ConnectionRefusedError, C::cannotConnectToHost, true},
        {E::HostNotFoundError, C::cannotFindHost, true},
        {E::RemoteHostClosedError, C::networkConnectionLost, true},
        {E::TemporaryNetworkFailureError, C::networkConnectionLost, true},
        {E::NetworkSessionFailedError, C::notConnectedToInternet, true},
        {E::BackgroundRequestNotAllowedError, C::dataNotAllowed, true},
        {E::ProxyConnectionRefusedError, C::cannotConnectToHost, true},
        {E::ProxyNotFoundError, C::cannotFindHost, true},
        {E::TimeoutError, C::timedOut, false},
        {E::OperationCanceledError, C::canceled, false},
        {E::SslHandshakeFailedError, C::secureConnectionFailed, false},
        {E::TooManyRedirectsError, C::badServerResponse, false},
        {E::ProtocolUnknownError, C::unsupportedURL, false},
        {E::UnknownNetworkError, C::unknown, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(urlErrorCodeFor(row.qt), row.code) << int(row.qt);
        EXPECT_EQ(NetworkReadinessProbe::isHardNetworkError(urlErrorCodeFor(row.qt)), row.down)
            << int(row.qt);
    }
    for (C hard : {C::dnsLookupFailed, C::internationalRoamingOff, C::resourceUnavailable})
        EXPECT_TRUE(NetworkReadinessProbe::isHardNetworkError(hard));
}
