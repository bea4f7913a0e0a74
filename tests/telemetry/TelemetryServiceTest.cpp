#include "TelemetryDoubles.h"
#include "support/LoopbackHTTPServer.h"
#include "support/MemoryKeyValueStore.h"
#include "support/SandboxFileSystem.h"

#include "model/ProductConfig.h"
#include "platform/JoiningThread.h"
#include "platform/LiveHTTPFetcher.h"
#include "telemetry/TelemetryService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

const QString kPendingFile =
    QStringLiteral("/Users/dev/Library/Application Support/Tovrin/pending-events.json");
const QByteArray kRecordsPath = "/api/database/records/usage_events";

// One service posting to a loopback backend, with its files in a sandbox; pauses between
// attempts are recorded, not waited.
struct Harness {
    std::shared_ptr<LoopbackHTTPServer> server = std::make_shared<LoopbackHTTPServer>();
    std::shared_ptr<FileSystemOperating> fs = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<MemoryKeyValueStore> store = std::make_shared<MemoryKeyValueStore>();
    std::shared_ptr<std::mutex> pauseLock = std::make_shared<std::mutex>();
    std::shared_ptr<QList<std::chrono::milliseconds>> pauses =
        std::make_shared<QList<std::chrono::milliseconds>>();

    Harness() { answer(201); }
    void answer(int status, std::chrono::milliseconds delay = 0ms) {
        LoopbackHTTPServer::Answer answer;
        answer.status = status;
        answer.delay = delay;
        server->answer(kRecordsPath, answer);
    }

    TelemetryService::Configuration configuration() const {
        TelemetryService::Configuration c;
        c.endpointURL = server->url(kRecordsPath);
        c.anonKey = QStringLiteral("aaa.bbb.ccc");
        c.appVersion = QStringLiteral("1.4 (27)");
        c.appID = QStringLiteral("app.tovrin.cli");
        c.runContext = QStringLiteral("ci");
        c.urlSessionFactory = [] { return std::make_shared<LiveHTTPFetcher>(); };
        c.kvStore = store;
        c.fs = fs;
        c.pendingFileURL = kPendingFile;
        // Generous: a post slower than this under a sanitizer would be sent twice.
        c.requestTimeoutSeconds = 10;
        c.now = [] { return QDateTime::fromString("2025-03-04T05:06:07.089Z", Qt::ISODateWithMs); };
        c.pause = [lock = pauseLock, pauses = pauses](std::chrono::milliseconds d,
                                                      const StopFlag&) {
            std::lock_guard guard(*lock);
            pauses->append(d);
        };
        return c;
    }
    std::unique_ptr<TelemetryService> start() const {
        return std::make_unique<TelemetryService>(configuration());
    }
    QList<std::chrono::milliseconds> recordedPauses() const {
        std::lock_guard guard(*pauseLock);
        return *pauses;
    }
    QList<LoopbackHTTPServer::Request> requests() const { return server->requests(kRecordsPath); }
    QList<QString> postedNames() const {
        QList<QString> names;
        for (const auto& r : requests())
            names.append(payload(r).value("event_name").toString());
        return names;
    }
    static QJsonObject payload(const LoopbackHTTPServer::Request& request) {
        return QJsonDocument::fromJson(request.body).array().at(0).toObject();
    }
    void storePending(const QByteArray& contents) const {
        fs->createDirectory(QFileInfo(kPendingFile).path(), true);
        fs->writeData(contents, kPendingFile);
    }
    std::optional<QByteArray> pendingContents() const {
        return fs->fileExists(kPendingFile) ? std::optional(fs->readData(kPendingFile))
                                            : std::nullopt;
    }
    QJsonArray pendingFile() const {
        auto data = pendingContents();
        return data ? QJsonDocument::fromJson(*data).array() : QJsonArray();
    }
};

QByteArray storedEvent(const char* name, const char* version = "1.0 (1)") {
    return QByteArray(R"({"sessionID":"6F1D2C3B-0A9E-4B8D-8C7F-112233445566",)") +
           R"("clientTimestamp":"2024-01-01T00:00:00.000Z","appVersion":")" + version +
           R"(","eventName":")" + name + R"(","eventData":{"n":1}})";
}

} // namespace

TEST(TelemetryService, PostsOneRecordPerRequestInTheBackendsFormat) {
    Harness h;
    h.store->set(QVariant("6F1D2C3B-0A9E-4B8D-8C7F-112233445566"),
                 ProductConfig::current().userDefaultsPrefix + ".session_id");
    auto service = h.start();
    service->track("app_launched", {{"macos_major", 14},
                                    {"has_homebrew", true},
                                    {"ratio", 0.5},
                                    {"terminals", JSONArray{"ghostty", "kitty"}},
                                    {"goal", nullptr}});
    ASSERT_TRUE(service->waitUntilIdle(30s));
    ASSERT_EQ(h.requests().size(), 1);

    const auto request = h.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, kRecordsPath);
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("Authorization"), "Bearer aaa.bbb.ccc");

    const QJsonArray body = QJsonDocument::fromJson(request.body).array();
    ASSERT_EQ(body.size(), 1);
    const QJsonObject record = body.at(0).toObject();
    const QStringList keys = record.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()),
              (QSet<QString>{"session_id", "client_timestamp", "app_version", "app_id",
                             "run_context", "event_name", "event_data"}));
    EXPECT_EQ(record.value("session_id").toString(), "6f1d2c3b-0a9e-4b8d-8c7f-112233445566");
    EXPECT_EQ(record.value("client_timestamp").toString(), "2025-03-04T05:06:07.089Z");
    EXPECT_EQ(record.value("app_version").toString(), "1.4 (27)");
    EXPECT_EQ(record.value("app_id").toString(), "app.tovrin.cli");
    EXPECT_EQ(record.value("run_context").toString(), "ci");
    EXPECT_EQ(record.value("event_name").toString(), "app_launched");
    ASSERT_TRUE(record.value("event_data").isObject());
    // Kinds as the text shows them: a bool is never a number, an int has no fraction.
    EXPECT_TRUE(request.body.contains(R"("has_homebrew":true)"));
    EXPECT_TRUE(request.body.contains(R"("macos_major":14)"));
    EXPECT_TRUE(request.body.contains(R"("ratio":0.5)"));
    EXPECT_TRUE(request.body.contains(R"("terminals":["ghostty","kitty"])"));
    EXPECT_TRUE(request.body.contains(R"("goal":null)"));

    EXPECT_FALSE(h.pendingContents()); // 2xx: sent, and the empty queue leaves no file
}

TEST(TelemetryService, RefusedRecordIsDroppedAfterOneAttempt) {
    for (int status : {404, 422}) {
        Harness h;
        h.answer(status);
        LogCapture log;
        auto service = h.start();
        service->track("unknown_event", {});
        ASSERT_TRUE(service->waitUntilIdle(30s));
        EXPECT_EQ(h.requests().size(), 1) << status;
        EXPECT_TRUE(h.recordedPauses().isEmpty());
        EXPECT_EQ(log.lines(), QStringList{QStringLiteral("Telemetry: dropping event after %1 "
                                                          "(likely event_name or schema mismatch)")
                                               .arg(status)});
        EXPECT_FALSE(h.pendingContents());
    }
}

TEST(TelemetryService, FailedPostIsTriedThreeTimesThenKeptFirst) {
    // A server error, another, and an answer that stalls past the request's time-out.
    const QList<std::pair<int, std::chrono::milliseconds>> failures{
        {500, 0ms}, {503, 0ms}, {201, 3000ms}};
    for (const auto& [status, delay] : failures) {
        Harness h;
        h.answer(status, delay);
        auto configuration = h.configuration();
        // Only the stalled answer is waited out; a second is still well short of its stall.
        if (delay > 0ms)
            configuration.requestTimeoutSeconds = 1;
        auto service = std::make_unique<TelemetryService>(configuration);
        service->track("first", {});
        ASSERT_TRUE(service->waitUntilIdle(30s));
        EXPECT_EQ(h.requests().size(), 3) << status;
        EXPECT_EQ(h.recordedPauses(), (QList<std::chrono::milliseconds>{500ms, 1000ms}));

        // Kept, in the file too: the stored id is upper-case, the posted one lower-case.
        const QJsonArray stored = h.pendingFile();
        ASSERT_EQ(stored.size(), 1);
        const QString storedID = stored.at(0).toObject().value("sessionID").toString();
        EXPECT_EQ(storedID, storedID.toUpper());
        EXPECT_EQ(Harness::payload(h.requests().first()).value("session_id").toString(),
                  storedID.toLower());

        // Nothing more until the next event, which goes out behind the kept one.
        h.answer(201);
        service->track("second", {});
        ASSERT_TRUE(service->waitUntilIdle(30s));
        EXPECT_EQ(h.postedNames(), (QList<QString>{"first", "first", "first", "first", "second"}));
        EXPECT_FALSE(h.pendingContents());
    }
}

TEST(TelemetryService, SendsOneAtATimeInTheOrderTracked) {
    // Counts the posts in flight around the live fetcher.
    struct CountingFetcher : HTTPFetching {
        LiveHTTPFetcher live;
        std::atomic<int> now{0}, most{0};
        std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request,
                                                 std::shared_ptr<HTTPCancellation> c) override {
            const int n = ++now;
            most = std::max(most.load(), n);
            auto result = live.data(request, c);
            --now;
            return result;
        }
        std::pair<QString, HTTPResponse> download(const HTTPRequest& r, DownloadProgress p,
                                                  std::shared_ptr<HTTPCancellation> c) override {
            return live.download(r, p, c);
        }
        ByteSample sampleBytes(const HTTPRequest& r, qint64 l, double t) override {
            return live.sampleBytes(r, l, t);
        }
    };
    Harness h;
    h.answer(201, 30ms);
    auto fetcher = std::make_shared<CountingFetcher>();
    auto configuration = h.configuration();
    configuration.urlSessionFactory = [fetcher] { return fetcher; };
    TelemetryService service(configuration);
    for (const char* name : {"one", "two", "three"})
        service.track(name, {});
    ASSERT_TRUE(service.waitUntilIdle(30s));
    EXPECT_EQ(h.postedNames(), (QList<QString>{"one", "two", "three"}));
    EXPECT_EQ(fetcher->most.load(), 1);
}

TEST(TelemetryService, StoredEventsGoOutFirstWithTodaysAppIDAndRunContext) {
    Harness h;
    h.storePending("[" + storedEvent("stored_a") + "," + storedEvent("stored_b") + "]");
    auto service = h.start();
    service->track("new", {});
    ASSERT_TRUE(service->waitUntilIdle(30s));

    EXPECT_EQ(h.postedNames(), (QList<QString>{"stored_a", "stored_b", "new"}));
    const QJsonObject old = Harness::payload(h.requests().first());
    EXPECT_EQ(old.value("session_id").toString(), "6f1d2c3b-0a9e-4b8d-8c7f-112233445566");
    EXPECT_EQ(old.value("app_version").toString(), "1.0 (1)");
    EXPECT_EQ(old.value("app_id").toString(), "app.tovrin.cli");
    EXPECT_EQ(old.value("run_context").toString(), "ci");
    EXPECT_EQ(old.value("client_timestamp").toString(), "2024-01-01T00:00:00.000Z");
    EXPECT_FALSE(h.pendingContents());
}

TEST(TelemetryService, UnreadablePendingFileIsLoggedAndNeverStopsNewEvents) {
    const QList<QByteArray> broken{"not json at all",
                                   "[" + storedEvent("cut").left(40), // truncated write
                                   R"({"sessionID":"x"})", "[1]",
                                   R"([{"sessionID":"nope","clientTimestamp":"t","appVersion":"v",)"
                                   R"("eventName":"e","eventData":{}}])"};
    for (const auto& contents : broken) {
        Harness h;
        h.storePending(contents);
        h.answer(500);
        LogCapture log;
        auto service = h.start();
        ASSERT_TRUE(service->waitUntilIdle(30s));
        ASSERT_EQ(log.lines().size(), 1) << contents.constData();
        EXPECT_TRUE(log.lines().first().startsWith("Telemetry: couldn't load pending events: "));
        EXPECT_EQ(h.pendingContents(), contents); // left alone until the next persist

        service->track("new", {});
        ASSERT_TRUE(service->waitUntilIdle(30s));
        EXPECT_EQ(h.postedNames(), (QList<QString>{"new", "new", "new"}));
        // Overwritten by the current queue at the send outcome.
        ASSERT_EQ(h.pendingFile().size(), 1);
        EXPECT_EQ(h.pendingFile().at(0).toObject().value("eventName").toString(), "new");
    }
}

TEST(TelemetryService, OneDamagedStoredRecordIsSkippedAndTheOthersKept) {
    Harness h;
    h.storePending("[" + storedEvent("fine") + R"(,{"eventName":"no id"},)" +
                   storedEvent("also_fine") + "]");
    h.answer(500);
    LogCapture log;
    auto service = h.start();
    ASSERT_TRUE(service->waitUntilIdle(30s));

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Telemetry: couldn't load pending events: "));
    EXPECT_EQ(h.postedNames(), (QList<QString>{"fine", "fine", "fine"}));
    // Written back in the same format, the damaged record alone gone.
    const QJsonArray stored = h.pendingFile();
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored.at(0).toObject(), QJsonDocument::fromJson(storedEvent("fine")).object());
    EXPECT_EQ(stored.at(1).toObject(), QJsonDocument::fromJson(storedEvent("also_fine")).object());
}

TEST(TelemetryService, IntegralDoubleIsStoredAsAnIntegerAndPostedTheSame) {
    Harness h;
    h.answer(500);
    {
        auto service = h.start();
        service->track("sized", {{"size", 12.0}});
        ASSERT_TRUE(service->waitUntilIdle(30s));
    }
    EXPECT_TRUE(h.pendingContents()->contains(R"("eventData":{"size":12})"));
    const QByteArray firstBody = h.requests().first().body;

    h.answer(201);
    auto service = h.start();
    ASSERT_TRUE(service->waitUntilIdle(30s));
    ASSERT_EQ(h.requests().size(), 4);
    EXPECT_EQ(h.requests().last().body, firstBody);
}

TEST(TelemetryService, EventThatCannotBeEncodedIsDroppedAndHoldsNothingBack) {
    Harness h;
    h.answer(500);
    LogCapture log;
    auto service = h.start();
    service->track("kept", {});
    service->track("broken", {{"speed", std::nan("")}, {"nested", JSONArray{INFINITY}}});
    ASSERT_TRUE(service->waitUntilIdle(30s));
    EXPECT_EQ(log.lines(), QStringList{"Telemetry: dropping event that cannot be encoded: broken"});
    ASSERT_EQ(h.pendingFile().size(), 1); // the queue is still written

    h.answer(201);
    service->track("after", {});
    ASSERT_TRUE(service->waitUntilIdle(30s));
    EXPECT_EQ(h.postedNames().mid(3), (QList<QString>{"kept", "after"}));
    EXPECT_FALSE(h.pendingContents());
}

TEST(TelemetryService, FailedPersistIsLoggedAndTheQueueKept) {
    Harness h;
    auto fs = std::make_shared<MemoryFileSystem>();
    h.fs = fs;
    h.answer(500);
    fs->failWrites = true;
    LogCapture log;
    auto service = h.start();
    service->track("first", {});
    ASSERT_TRUE(service->waitUntilIdle(30s));
    EXPECT_EQ(log.lines(),
              QStringList{"Telemetry: couldn't persist pending events: No space left on device"});

    fs->failWrites = false;
    h.answer(201);
    service->track("second", {});
    ASSERT_TRUE(service->waitUntilIdle(30s));
    EXPECT_EQ(h.postedNames().mid(3), (QList<QString>{"first", "second"}));
}

TEST(TelemetryService, DisabledRecordsNothingButStillSendsStoredEvents) {
    Harness h;
    h.storePending("[" + storedEvent("stored") + "]");
    auto configuration = h.configuration();
    configuration.disabled = true;
    TelemetryService service(configuration);
    service.track("new", {});
    ASSERT_TRUE(service.waitUntilIdle(30s));
    EXPECT_EQ(h.postedNames(), QList<QString>{"stored"});
    EXPECT_FALSE(h.pendingContents());
}

TEST(TelemetryService, NothingLeavesWithoutAnEndpoint) {
    Harness h;
    h.storePending("[" + storedEvent("stored") + "]");
    auto configuration = h.configuration();
    configuration.endpointURL = QUrl();
    TelemetryService service(configuration);
    service.track("new", {});
    ASSERT_TRUE(service.waitUntilIdle(30s));
    EXPECT_TRUE(h.server->requests().isEmpty());
    EXPECT_EQ(h.pendingContents(), "[" + storedEvent("stored") + "]");

    // A build that names no backend records nothing at all.
    if (TelemetryService::Configuration::builtInEndpointURL().isEmpty()) {
        const auto live = TelemetryService::Configuration::live();
        EXPECT_TRUE(live.disabled);
        EXPECT_TRUE(live.endpointURL.isEmpty());
    }
}

TEST(TelemetryService, EventsFromManyThreadsEachArriveOnce) {
    Harness h;
    auto service = h.start();
    constexpr int kThreads = 8;
    constexpr int kEach = 32;
    {
        std::vector<JoiningThread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < kEach; ++i)
                    service->track("tick", {{"thread", t}, {"n", i}});
            });
    }
    ASSERT_TRUE(service->waitUntilIdle(60s));
    const auto requests = h.requests();
    ASSERT_EQ(requests.size(), kThreads * kEach);
    QList<int> next(kThreads, 0);
    for (const auto& r : requests) {
        const QJsonObject data = Harness::payload(r).value("event_data").toObject();
        const int t = data.value("thread").toInt();
        EXPECT_EQ(data.value("n").toInt(), next[t]++); // each thread's events once, in order
    }
    EXPECT_EQ(next, QList<int>(kThreads, kEach));
    EXPECT_FALSE(h.pendingContents());
}

TEST(TelemetryService, DestroyingItCancelsAStalledPost) {
    Harness h;
    h.answer(201, 20s);
    auto configuration = h.configuration();
    configuration.requestTimeoutSeconds = 15;
    configuration.pause = TelemetryService::Configuration::interruptiblePause;
    auto service = std::make_unique<TelemetryService>(configuration);
    service->track("stuck", {});
    for (int i = 0; i < 500 && h.requests().isEmpty(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(h.requests().size(), 1);
    const auto before = std::chrono::steady_clock::now();
    service.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(h.requests().size(), 1);

    StopFlag stop; // the live pause between attempts ends as soon as a stop is asked for
    const auto pauseStart = std::chrono::steady_clock::now();
    JoiningThread stopper([&] { std::this_thread::sleep_for(50ms), stop.requestStop(); });
    TelemetryService::Configuration::interruptiblePause(30s, stop);
    EXPECT_LT(std::chrono::steady_clock::now() - pauseStart, 5s);
}

TEST(TelemetryConfiguration, EnvironmentSwitches) {
    const QByteArray savedDisabled = qgetenv("TOVR_TELEMETRY_DISABLED");
    const QByteArray savedContext = qgetenv("TOVR_RUN_CONTEXT");
    const bool hadDisabled = qEnvironmentVariableIsSet("TOVR_TELEMETRY_DISABLED");
    const bool hadContext = qEnvironmentVariableIsSet("TOVR_RUN_CONTEXT");

    qputenv("TOVR_TELEMETRY_DISABLED", "1");
    EXPECT_TRUE(TelemetryService::Configuration::disabledByEnvironment());
    for (const char* other : {"true", "0", "yes", " 1", ""}) {
        qputenv("TOVR_TELEMETRY_DISABLED", other);
        EXPECT_FALSE(TelemetryService::Configuration::disabledByEnvironment()) << other;
    }
    qunsetenv("TOVR_TELEMETRY_DISABLED");
    EXPECT_FALSE(TelemetryService::Configuration::disabledByEnvironment());

    qunsetenv("TOVR_RUN_CONTEXT");
    EXPECT_EQ(TelemetryService::Configuration::runContextFromEnvironment(), "release");
    qputenv("TOVR_RUN_CONTEXT", "");
    EXPECT_EQ(TelemetryService::Configuration::runContextFromEnvironment(), "");
    qputenv("TOVR_RUN_CONTEXT", "Nightly QA");
    EXPECT_EQ(TelemetryService::Configuration::runContextFromEnvironment(), "Nightly QA");

    hadDisabled ? void(qputenv("TOVR_TELEMETRY_DISABLED", savedDisabled))
                : void(qunsetenv("TOVR_TELEMETRY_DISABLED"));
    hadContext ? void(qputenv("TOVR_RUN_CONTEXT", savedContext))
               : void(qunsetenv("TOVR_RUN_CONTEXT"));
}

TEST(TelemetryConfiguration, PendingFileFallsBackToTheTemporaryFolder) {
    MemoryFileSystem fs;
    EXPECT_EQ(TelemetryService::Configuration::defaultPendingFile(fs, "Tovrin"),
              "/Users/ana/Library/Application Support/Tovrin/pending-events.json");
    fs.failApplicationSupport = true;
    EXPECT_EQ(TelemetryService::Configuration::defaultPendingFile(fs, "Tovrin"),
              "/tmp/Tovrin/pending-events.json");
}
