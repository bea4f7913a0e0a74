#include "TelemetryDoubles.h"

#include "telemetry/TelemetryService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

const QString kPendingFile =
    QStringLiteral("/Users/ana/Library/Application Support/Tovrin/pending-events.json");
const QUrl
    kEndpoint(QStringLiteral("https://telemetry.example.test/api/database/records/usage_events"));

// One service over doubles; pauses are recorded, not waited.
struct Harness {
    std::shared_ptr<MemoryFileSystem> fs = std::make_shared<MemoryFileSystem>();
    std::shared_ptr<RecordingHTTPFetcher> http = std::make_shared<RecordingHTTPFetcher>();
    std::shared_ptr<std::mutex> pauseLock = std::make_shared<std::mutex>();
    std::shared_ptr<QList<std::chrono::milliseconds>> pauses =
        std::make_shared<QList<std::chrono::milliseconds>>();

    TelemetryService::Configuration configuration() const {
        TelemetryService::Configuration c;
        c.endpointURL = kEndpoint;
        c.anonKey = QStringLiteral("aaa.bbb.ccc");
        c.appVersion = QStringLiteral("1.4 (27)");
        c.appID = QStringLiteral("app.tovrin.cli");
        c.runContext = QStringLiteral("ci");
        c.urlSessionFactory = [http = http] { return http; };
        c.kvStore = std::make_shared<MemoryKeyValueStore>();
        c.fs = fs;
        c.pendingFileURL = kPendingFile;
        c.now = [] { return QDateTime::fromString("2025-03-04T05:06:07.089Z", Qt::ISODateWithMs); };
        c.pause = [lock = pauseLock, pauses = pauses](std::chrono::milliseconds d,
                                                      std::stop_token) {
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
    QList<QString> postedNames() const {
        QList<QString> names;
        for (const auto& r : http->requests())
            names.append(payload(r).value("event_name").toString());
        return names;
    }
    static QJsonObject payload(const HTTPRequest& request) {
        return QJsonDocument::fromJson(request.body).array().at(0).toObject();
    }
    QJsonArray pendingFile() const {
        auto data = fs->contents(kPendingFile);
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
    auto service = h.start();
    service->track("app_launched", {{"macos_major", 14},
                                    {"has_homebrew", true},
                                    {"ratio", 0.5},
                                    {"terminals", JSONArray{"ghostty", "kitty"}},
                                    {"goal", nullptr}});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    ASSERT_EQ(h.http->requests().size(), 1);

    const HTTPRequest request = h.http->requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, kEndpoint);
    EXPECT_EQ(request.timeoutSeconds, 15);
    const HTTPHeaders expectedHeaders{{"Content-Type", "application/json"},
                                      {"Authorization", "Bearer aaa.bbb.ccc"}};
    EXPECT_EQ(request.headers, expectedHeaders);

    const QJsonArray body = QJsonDocument::fromJson(request.body).array();
    ASSERT_EQ(body.size(), 1);
    const QJsonObject record = body.at(0).toObject();
    const QStringList keys = record.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()),
              (QSet<QString>{"session_id", "client_timestamp", "app_version", "app_id",
                             "run_context", "event_name", "event_data"}));
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$")
                    .match(record.value("session_id").toString())
                    .hasMatch());
    EXPECT_EQ(record.value("client_timestamp").toString(), "2025-03-04T05:06:07.089Z");
    EXPECT_EQ(record.value("app_version").toString(), "1.4 (27)");
    EXPECT_EQ(record.value("app_id").toString(), "app.tovrin.cli");
    EXPECT_EQ(record.value("run_context").toString(), "ci");
    EXPECT_EQ(record.value("event_name").toString(), "app_launched");
    // Kinds as the text shows them: a bool is never a number, an int has no fraction.
    EXPECT_TRUE(request.body.contains(R"("has_homebrew":true)"));
    EXPECT_TRUE(request.body.contains(R"("macos_major":14)"));
    EXPECT_TRUE(request.body.contains(R"("ratio":0.5)"));
    EXPECT_TRUE(request.body.contains(R"("terminals":["ghostty","kitty"])"));
    EXPECT_TRUE(request.body.contains(R"("goal":null)"));

    EXPECT_FALSE(h.fs->fileExists(kPendingFile)); // 2xx: sent, and the empty queue leaves no file
}

TEST(TelemetryService, RefusedRecordIsDroppedAfterOneAttempt) {
    for (int status : {404, 422}) {
        Harness h;
        h.http->setFallback({status});
        LogCapture log;
        auto service = h.start();
        service->track("unknown_event", {});
        ASSERT_TRUE(service->waitUntilIdle(5s));
        EXPECT_EQ(h.http->requests().size(), 1) << status;
        EXPECT_TRUE(h.recordedPauses().isEmpty());
        EXPECT_EQ(log.lines(), QStringList{QStringLiteral("Telemetry: dropping event after %1 "
                                                          "(likely event_name or schema mismatch)")
                                               .arg(status)});
        EXPECT_FALSE(h.fs->fileExists(kPendingFile));
    }
}

TEST(TelemetryService, FailedPostIsTriedThreeTimesThenKeptFirst) {
    for (auto failure : {RecordingHTTPFetcher::Reply{500}, RecordingHTTPFetcher::Reply{503},
                         RecordingHTTPFetcher::Reply{0, true}}) {
        Harness h;
        h.http->setFallback(failure);
        auto service = h.start();
        service->track("first", {});
        ASSERT_TRUE(service->waitUntilIdle(5s));
        EXPECT_EQ(h.http->requests().size(), 3);
        EXPECT_EQ(h.recordedPauses(), (QList<std::chrono::milliseconds>{500ms, 1000ms}));

        // Kept, in the file too: the stored id is upper-case, the posted one lower-case.
        const QJsonArray stored = h.pendingFile();
        ASSERT_EQ(stored.size(), 1);
        const QString storedID = stored.at(0).toObject().value("sessionID").toString();
        EXPECT_EQ(storedID, storedID.toUpper());
        EXPECT_EQ(Harness::payload(h.http->requests().first()).value("session_id").toString(),
                  storedID.toLower());

        // Nothing more until the next event, which goes out behind the kept one.
        h.http->setFallback({201});
        service->track("second", {});
        ASSERT_TRUE(service->waitUntilIdle(5s));
        EXPECT_EQ(h.postedNames(), (QList<QString>{"first", "first", "first", "first", "second"}));
        EXPECT_FALSE(h.fs->fileExists(kPendingFile));
    }
}

TEST(TelemetryService, SendsOneAtATimeInTheOrderTracked) {
    Harness h;
    h.http->setFallback({200, false, false, 20ms});
    auto service = h.start();
    for (const char* name : {"one", "two", "three"})
        service->track(name, {});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    EXPECT_EQ(h.postedNames(), (QList<QString>{"one", "two", "three"}));
    EXPECT_EQ(h.http->mostAtOnce(), 1);
}

TEST(TelemetryService, StoredEventsGoOutFirstWithTodaysAppIDAndRunContext) {
    Harness h;
    h.fs->createDirectory(QFileInfo(kPendingFile).path(), true);
    h.fs->put(kPendingFile, "[" + storedEvent("stored_a") + "," + storedEvent("stored_b") + "]");
    auto service = h.start();
    service->track("new", {});
    ASSERT_TRUE(service->waitUntilIdle(5s));

    EXPECT_EQ(h.postedNames(), (QList<QString>{"stored_a", "stored_b", "new"}));
    const QJsonObject old = Harness::payload(h.http->requests().first());
    EXPECT_EQ(old.value("session_id").toString(), "6f1d2c3b-0a9e-4b8d-8c7f-112233445566");
    EXPECT_EQ(old.value("app_version").toString(), "1.0 (1)");
    EXPECT_EQ(old.value("app_id").toString(), "app.tovrin.cli");
    EXPECT_EQ(old.value("run_context").toString(), "ci");
    EXPECT_EQ(old.value("client_timestamp").toString(), "2024-01-01T00:00:00.000Z");
    EXPECT_FALSE(h.fs->fileExists(kPendingFile));
}

TEST(TelemetryService, UnreadablePendingFileIsLoggedAndNeverStopsNewEvents) {
    const QList<QByteArray> broken{"not json at all",
                                   "[" + storedEvent("cut").left(40), // truncated write
                                   R"({"sessionID":"x"})",
                                   "[1]",
                                   R"([{"sessionID":"nope","clientTimestamp":"t","appVersion":"v",)"
                                   R"("eventName":"e","eventData":{}}])",
                                   "[" + storedEvent("fine") + R"(,{"eventName":"no id"}])"};
    for (const auto& contents : broken) {
        Harness h;
        h.fs->createDirectory(QFileInfo(kPendingFile).path(), true);
        h.fs->put(kPendingFile, contents);
        h.http->setFallback({500});
        LogCapture log;
        auto service = h.start();
        ASSERT_TRUE(service->waitUntilIdle(5s));
        ASSERT_EQ(log.lines().size(), 1) << contents.constData();
        EXPECT_TRUE(log.lines().first().startsWith("Telemetry: couldn't load pending events: "));
        EXPECT_EQ(h.fs->contents(kPendingFile), contents); // left alone until the next persist

        service->track("new", {});
        ASSERT_TRUE(service->waitUntilIdle(5s));
        EXPECT_EQ(h.postedNames(), (QList<QString>{"new", "new", "new"}));
        // Overwritten by the current queue at the send outcome.
        ASSERT_EQ(h.pendingFile().size(), 1);
        EXPECT_EQ(h.pendingFile().at(0).toObject().value("eventName").toString(), "new");
    }
}

TEST(TelemetryService, IntegralDoubleIsStoredAsAnIntegerAndPostedTheSame) {
    Harness h;
    h.http->setFallback({500});
    {
        auto service = h.start();
        service->track("sized", {{"size", 12.0}});
        ASSERT_TRUE(service->waitUntilIdle(5s));
    }
    EXPECT_TRUE(h.fs->contents(kPendingFile)->contains(R"("eventData":{"size":12})"));
    const QByteArray firstBody = h.http->requests().first().body;

    Harness next;
    next.fs = h.fs;
    auto service = next.start();
    ASSERT_TRUE(service->waitUntilIdle(5s));
    ASSERT_EQ(next.http->requests().size(), 1);
    EXPECT_EQ(next.http->requests().first().body, firstBody);
}

TEST(TelemetryService, EventThatCannotBeEncodedIsDroppedAndHoldsNothingBack) {
    Harness h;
    h.http->setFallback({500});
    LogCapture log;
    auto service = h.start();
    service->track("kept", {});
    service->track("broken", {{"speed", std::nan("")}, {"nested", JSONArray{INFINITY}}});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    EXPECT_EQ(log.lines(), QStringList{"Telemetry: dropping event that cannot be encoded: broken"});
    ASSERT_EQ(h.pendingFile().size(), 1); // the queue is still written

    h.http->setFallback({200});
    service->track("after", {});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    EXPECT_EQ(h.postedNames().mid(3), (QList<QString>{"kept", "after"}));
    EXPECT_FALSE(h.fs->fileExists(kPendingFile));
}

TEST(TelemetryService, FailedPersistIsLoggedAndTheQueueKept) {
    Harness h;
    h.http->setFallback({500});
    h.fs->failWrites = true;
    LogCapture log;
    auto service = h.start();
    service->track("first", {});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    EXPECT_EQ(log.lines(),
              QStringList{"Telemetry: couldn't persist pending events: No space left on device"});

    h.fs->failWrites = false;
    h.http->setFallback({200});
    service->track("second", {});
    ASSERT_TRUE(service->waitUntilIdle(5s));
    EXPECT_EQ(h.postedNames().mid(3), (QList<QString>{"first", "second"}));
}

TEST(TelemetryService, DisabledRecordsNothingButStillSendsStoredEvents) {
    Harness h;
    h.fs->createDirectory(QFileInfo(kPendingFile).path(), true);
    h.fs->put(kPendingFile, "[" + storedEvent("stored") + "]");
    auto configuration = h.configuration();
    configuration.disabled = true;
    TelemetryService service(configuration);
    service.track("new", {});
    ASSERT_TRUE(service.waitUntilIdle(5s));
    EXPECT_EQ(h.postedNames(), QList<QString>{"stored"});
    EXPECT_FALSE(h.fs->fileExists(kPendingFile));
}

TEST(TelemetryService, NothingLeavesWithoutAnEndpoint) {
    Harness h;
    h.fs->createDirectory(QFileInfo(kPendingFile).path(), true);
    h.fs->put(kPendingFile, "[" + storedEvent("stored") + "]");
    auto configuration = h.configuration();
    configuration.endpointURL = QUrl();
    TelemetryService service(configuration);
    service.track("new", {});
    ASSERT_TRUE(service.waitUntilIdle(5s));
    EXPECT_TRUE(h.http->requests().isEmpty());
    EXPECT_EQ(h.fs->contents(kPendingFile), "[" + storedEvent("stored") + "]");

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
    constexpr int kEach = 50;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < kEach; ++i)
                    service->track("tick", {{"thread", t}, {"n", i}});
            });
    }
    ASSERT_TRUE(h.http->waitForRequests(kThreads * kEach));
    ASSERT_TRUE(service->waitUntilIdle(10s));
    const auto requests = h.http->requests();
    ASSERT_EQ(requests.size(), kThreads * kEach);
    QList<int> next(kThreads, 0);
    for (const auto& r : requests) {
        const QJsonObject data = Harness::payload(r).value("event_data").toObject();
        const int t = data.value("thread").toInt();
        EXPECT_EQ(data.value("n").toInt(), next[t]++); // each thread's events once, in order
    }
    EXPECT_EQ(next, QList<int>(kThreads, kEach));
    EXPECT_FALSE(h.fs->fileExists(kPendingFile));
}

TEST(TelemetryService, DestroyingItCancelsAStalledPost) {
    Harness h;
    h.http->setFallback({200, false, true});
    auto configuration = h.configuration();
    configuration.pause = TelemetryService::Configuration::interruptiblePause;
    auto service = std::make_unique<TelemetryService>(configuration);
    service->track("stuck", {});
    ASSERT_TRUE(h.http->waitForRequests(1));
    const auto before = std::chrono::steady_clock::now();
    service.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(h.http->requests().size(), 1);
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
    EXPECT_EQ(TelemetryService::Configuration::defaultPendingFile(fs, "Tovrin"), kPendingFile);
    fs.failApplicationSupport = true;
    EXPECT_EQ(TelemetryService::Configuration::defaultPendingFile(fs, "Tovrin"),
              "/tmp/Tovrin/pending-events.json");
}
