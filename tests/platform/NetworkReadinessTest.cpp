#include "platform/LiveHTTPFetcher.h"
#include "platform/NetworkReadinessProbe.h"
#include "support/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <variant>

using namespace tovr;
using namespace std::chrono_literals;
using tovr::test::LoopbackHTTPServer;
using Sample = NetworkReadinessProbe::EndpointSample;

namespace {

// Answers sampleBytes per host with a fixed sample or a URLError code; records requests.
class ScriptedSampler : public HTTPFetching {
public:
    using Outcome = std::variant<ByteSample, URLError::Code>;
    explicit ScriptedSampler(QMap<QString, Outcome> byHost) : byHost_(std::move(byHost)) {}

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&,
                                             std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::unknown);
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::unknown);
    }
    ByteSample sampleBytes(const HTTPRequest& request, qint64 limit, double timeout) override {
        {
            std::lock_guard guard(lock_);
            calls.append({request, limit, timeout});
        }
        const Outcome outcome = byHost_.value(request.url.host(), URLError::Code::timedOut);
        if (auto* code = std::get_if<URLError::Code>(&outcome))
            throw URLError(*code);
        return std::get<ByteSample>(outcome);
    }

    struct Call {
        HTTPRequest request;
        qint64 limit;
        double timeout;
    };
    QList<Call> calls;

private:
    std::mutex lock_;
    QMap<QString, Outcome> byHost_;
};

// The command-line product's values.
NetworkReadinessConfig productConfig(QList<QUrl> endpoints = {QUrl("https://a.example/"),
                                                              QUrl("https://b.example/"),
                                                              QUrl("https://c.example/")}) {
    return {std::move(endpoints), 1'500'000'000, 600, 800'000, 3.0};
}

NetworkReadinessResult measureWith(QMap<QString, ScriptedSampler::Outcome> byHost) {
    return NetworkReadinessProbe(std::make_shared<ScriptedSampler>(std::move(byHost)))
        .measure(productConfig());
}

constexpr auto hostDown = URLError::Code::cannotFindHost;
constexpr auto timedOut = URLError::Code::timedOut;

} // namespace

TEST(NetworkReadiness, SamplesAskForARangeWithoutCaches) {
    auto sampler = std::make_shared<ScriptedSampler>(
        QMap<QString, ScriptedSampler::Outcome>{{"a.example", ByteSample{100, 1}}});
    NetworkReadinessProbe(sampler).measure(productConfig());
    ASSERT_EQ(sampler->calls.size(), 3);
    for (const auto& call : sampler->calls) {
        EXPECT_EQ(call.request.method, "GET");
        EXPECT_EQ(call.request.headers,
                  (HTTPHeaders{{"Range", "bytes=0-799999"}, {"Cache-Control", "no-cache"}}));
        EXPECT_EQ(call.request.timeoutSeconds, 3.0);
        EXPECT_EQ(call.limit, 800'000);
        EXPECT_EQ(call.timeout, 3.0);
    }
}

TEST(NetworkReadiness, VerdictsFromSamples) {
    const NetworkReadinessResult unmeasured0{NetworkVerdict::unmeasured, {}, {}, 0, 3};
    // Every endpoint down with a hard error: unreachable. A timeout never is.
    EXPECT_EQ(measureWith({{"a.example", hostDown},
                           {"b.example", URLError::Code::cannotConnectToHost},
                           {"c.example", URLError::Code::networkConnectionLost}}),
              (NetworkReadinessResult{NetworkVerdict::unreachable, {}, {}, 0, 3}));
    EXPECT_EQ(
        measureWith({{"a.example", hostDown}, {"b.example", hostDown}, {"c.example", timedOut}}),
        unmeasured0);
    EXPECT_EQ(measureWith({}), unmeasured0);
    EXPECT_EQ(measureWith({{"a.example", URLError::Code::canceled},
                           {"b.example", URLError::Code::secureConnectionFailed},
                           {"c.example", hostDown}}),
              unmeasured0);
    // An answer with no bytes is reachable but gives no rate.
    EXPECT_EQ(
        measureWith(
            {{"a.example", ByteSample{0, 0.5}}, {"b.example", hostDown}, {"c.example", hostDown}}),
        (NetworkReadinessResult{NetworkVerdict::unmeasured, {}, {}, 1, 3}));
    // One fast endpoint decides; the best rate wins.
    EXPECT_EQ(measureWith({{"a.example", ByteSample{2'500'000, 1.0}},
                           {"b.example", ByteSample{1'000'000, 1.0}},
                           {"c.example", hostDown}}),
              (NetworkReadinessResult{NetworkVerdict::ok, 20.0, 600, 2, 3}));
    EXPECT_EQ(measureWith({{"a.example", ByteSample{2'000'000, 1.0}},
                           {"b.example", hostDown},
                           {"c.example", hostDown}}),
              (NetworkReadinessResult{NetworkVerdict::slow, 16.0, 750, 1, 3}));
}

TEST(NetworkReadiness, EvaluateAtTheThreshold) {
    const auto config = productConfig();
    EXPECT_EQ(config.evaluate(2'500'000.0, 1, 0).verdict, NetworkVerdict::ok); // exactly 600 s
    EXPECT_EQ(config.evaluate(1.5e9 / 600.4, 1, 0).estimatedInstallSeconds, 600);
    EXPECT_EQ(config.evaluate(1.5e9 / 600.4, 1, 0).verdict, NetworkVerdict::ok);
    EXPECT_EQ(config.evaluate(1.5e9 / 600.5, 1, 0).estimatedInstallSeconds, 601); // half: up
    EXPECT_EQ(config.evaluate(1.5e9 / 601, 1, 0).verdict, NetworkVerdict::slow);
    EXPECT_EQ(config.evaluate(0.0, 1, 0).verdict, NetworkVerdict::unmeasured);
    EXPECT_EQ(config.evaluate(std::nullopt, 0, 3).verdict, NetworkVerdict::unreachable);
    EXPECT_EQ(productConfig({}).evaluate(std::nullopt, 0, 0),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, {}, {}, 0, 0}));
    EXPECT_EQ(config.evaluate(1e-12, 1, 0).estimatedInstallSeconds,
              std::numeric_limits<qint64>::max());
}

TEST(NetworkReadiness, VerdictRawValuesAndWarnings) {
    for (auto v : {NetworkVerdict::ok, NetworkVerdict::slow, NetworkVerdict::unreachable,
                   NetworkVerdict::unmeasured}) {
        EXPECT_EQ(fromRaw<NetworkVerdict>(toRaw(v)), v);
        const bool warns = v == NetworkVerdict::slow || v == NetworkVerdict::unreachable;
        EXPECT_EQ((NetworkReadinessResult{v, {}, {}, 0, 0}.needsWarning()), warns);
    }
    EXPECT_EQ(fromRaw<NetworkVerdict>(u"OK"), std::nullopt);
    EXPECT_EQ(fromRaw<NetworkVerdict>(u""), std::nullopt);
    EXPECT_EQ(toRaw(NetworkVerdict::unreachable), "unreachable");
}

TEST(NetworkReadiness, SampleEquality) {
    EXPECT_EQ(Sample::throughput(5), Sample::throughput(5));
    EXPECT_NE(Sample::throughput(5), Sample::throughput(6));
    EXPECT_NE(Sample::down(), Sample::timeout());
    EXPECT_EQ(Sample::responded(), Sample::responded());
}

// Against the live fetcher: endpoints run at once, and real failures read as "down".
class LiveNetworkReadiness : public ::testing::Test {
protected:
    LoopbackHTTPServer server;
    std::shared_ptr<LiveHTTPFetcher> fetcher = std::make_shared<LiveHTTPFetcher>();
    NetworkReadinessProbe probe{fetcher};
};

TEST_F(LiveNetworkReadiness, EndpointsAreSampledAtOnce) {
    LoopbackHTTPServer::Answer late;
    late.body = QByteArray(50'000, 'x');
    late.delay = 500ms;
    for (const char* path : {"/api/formula.json", "/content/catalogs/index.sucatalog", "/"})
        server.answer(path, late);
    // A small payload, so that the verdict does not hang on how fast a loaded (or
    // sanitized) test machine moves the body; the timing is what this checks.
    auto config = productConfig({server.url("/api/formula.json"),
                                 server.url("/content/catalogs/index.sucatalog"), server.url("/")});
    config.estimatedPayloadBytes = 1'000'000;
    // The network stack's one-off start-up is not what this measures.
    HTTPRequest warmUp;
    warmUp.url = server.url("/warm-up");
    fetcher->data(warmUp);
    const auto started = std::chrono::steady_clock::now();
    const auto result = probe.measure(config);
    const auto took = std::chrono::steady_clock::now() - started;
    // One after another they would take 1.5 s.
    EXPECT_LT(took, 1000ms) << std::chrono::duration<double>(took).count() << " s";
    EXPECT_EQ(result.verdict, NetworkVerdict::ok);
    EXPECT_EQ(result.endpointsReachable, 3);
    ASSERT_EQ(server.requests("/").size(), 1);
    EXPECT_EQ(server.requests()[1].header("range"), "bytes=0-799999");
    EXPECT_EQ(server.requests()[1].header("cache-control"), "no-cache");
}

TEST_F(LiveNetworkReadiness, AllDownIsUnreachableAndOneSlowEndpointIsSlow) {
    const QUrl refused = LoopbackHTTPServer::refusedUrl();
    const QUrl unknown("http://nonexistent.invalid/");
    EXPECT_EQ(probe.measure(productConfig({refused, unknown, refused})),
              (NetworkReadinessResult{NetworkVerdict::unreachable, {}, {}, 0, 3}));

    LoopbackHTTPServer::Answer trickle;
    trickle.status = 404; // an error page still measures the line
    trickle.body = QByteArray(100'000, 'x');
    trickle.trickleBytes = 10'000;
    trickle.trickleInterval = 20ms;
    server.answer("/slow", trickle);
    const auto result = probe.measure(productConfig({server.url("/slow"), refused, unknown}));
    EXPECT_EQ(result.verdict, NetworkVerdict::slow);
    EXPECT_EQ(result.endpointsReachable, 1);
    EXPECT_EQ(result.endpointsTotal, 3);
    ASSERT_TRUE(result.estimatedInstallSeconds.has_value());
    EXPECT_GT(*result.estimatedInstallSeconds, 600);
}
