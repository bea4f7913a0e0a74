#include "services/AdoptiumAPI.h"

#include "platform/DomainError.h"
#include "platform/LiveHTTPFetcher.h"
#include "support/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QByteArray kPath = "/v3/assets/latest/21/hotspot";
const QString kChecksum = "6b1c8d0e1e4cb6d0c8b6ef6a0f6b0d1a6f2bfa34f7c1e38f0d7a56d4bf8c3a21";

// The shape the service answers with, trimmed to what matters plus some noise.
QByteArray asset(const QString& installer, const QString& release = "jdk-21.0.4+7") {
    return QStringLiteral(R"({"binary":{"architecture":"aarch64","image_type":"jdk",%1
                              "package":{"link":"https://example.invalid/x.tar.gz"}},
                              "release_link":"https://example.invalid/rel",
                              "release_name":"%2","vendor":"eclipse"})")
        .arg(installer, release)
        .toUtf8();
}

QString installerJSON(const QString& checksum = kChecksum,
                      const QString& link = "https://github.example/OpenJDK21U-jdk_aarch64_mac_"
                                            "hotspot_21.0.4_7.pkg") {
    return QStringLiteral(R"("installer":{"checksum":"%1","link":"%2",
                             "name":"OpenJDK21U-jdk_aarch64_mac_hotspot_21.0.4_7.pkg","size":1},)")
        .arg(checksum, link);
}

class AdoptiumAPITest : public ::testing::Test {
protected:
    LoopbackHTTPServer server;
    AdoptiumAPI api{std::make_shared<LiveHTTPFetcher>(), server.url("")};

    template <class E> E failure() {
        try {
            api.latestInstaller(21, "aarch64");
        } catch (const E& e) {
            return e;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "other error: " << e.what();
            throw;
        }
        ADD_FAILURE() << "no error";
        throw std::runtime_error("no error");
    }
};

} // namespace

TEST_F(AdoptiumAPITest, TakesTheFirstAssetsInstaller) {
    server.answer(kPath, 200,
                  "[" + asset(installerJSON(kChecksum.toUpper())) + "," +
                      asset(installerJSON(QString(64, 'f')), "jdk-21.0.3+9") + "]");
    const auto metadata = api.latestInstaller(21, "aarch64");
    EXPECT_EQ(metadata.downloadURL,
              QUrl("https://github.example/OpenJDK21U-jdk_aarch64_mac_hotspot_21.0.4_7.pkg"));
    EXPECT_EQ(metadata.checksum, kChecksum); // upper case accepted, handed back lower-cased
    EXPECT_EQ(metadata.filename, "OpenJDK21U-jdk_aarch64_mac_hotspot_21.0.4_7.pkg");
    EXPECT_EQ(metadata.releaseName, "jdk-21.0.4+7");

    const auto requests = server.requests(kPath);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].target, kPath + "?architecture=aarch64&image_type=jdk&os=mac");
    EXPECT_EQ(requests[0].header("Accept"), "application/json");
}

TEST_F(AdoptiumAPITest, NoUsableFirstInstallerIsCodeOne) {
    server.answer(kPath, 200, "[]");
    auto empty = failure<DomainError>();
    EXPECT_EQ(empty.domain(), "AdoptiumAPI");
    EXPECT_EQ(empty.code(), 1);
    EXPECT_EQ(empty.description(), "No installer asset for Java 21 on aarch64");

    // Later assets are never looked at.
    server.answer(kPath, 200, "[" + asset("") + "," + asset(installerJSON()) + "]");
    EXPECT_EQ(failure<DomainError>().code(), 1);
    server.answer(kPath, 200, "[" + asset(R"("installer":null,)") + "]");
    EXPECT_EQ(failure<DomainError>().code(), 1);
}

TEST_F(AdoptiumAPITest, BadLinkOrChecksumLength) {
    server.answer(kPath, 200, "[" + asset(installerJSON(kChecksum, "")) + "]");
    EXPECT_EQ(failure<DomainError>().description(), "Invalid installer URL from Adoptium");

    server.answer(kPath, 200, "[" + asset(installerJSON(kChecksum.left(63))) + "]");
    const auto shortSum = failure<DomainError>();
    EXPECT_EQ(shortSum.code(), 3);
    EXPECT_EQ(shortSum.description(), "Unexpected checksum format from Adoptium (63 chars)");
}

TEST_F(AdoptiumAPITest, OnlyStatus200IsDecoded) {
    for (int status : {201, 404, 500}) {
        server.answer(kPath, status, "[" + asset(installerJSON()) + "]");
        EXPECT_EQ(failure<URLError>().code(), URLError::Code::badServerResponse) << status;
    }
}

TEST_F(AdoptiumAPITest, MalformedOrTruncatedAnswersFail) {
    server.answer(kPath, 200, R"({"binary":{}})");
    failure<AdoptiumAPI::DecodingError>();
    server.answer(kPath, 200, R"([{"binary":{}}])"); // no release_name
    failure<AdoptiumAPI::DecodingError>();

    // The connection drops halfway through the body.
    LoopbackHTTPServer::Answer truncated;
    truncated.body = "[" + asset(installerJSON()) + "]";
    truncated.dropAfter = truncated.body.size() / 2;
    server.answer(kPath, truncated);
    EXPECT_THROW(api.latestInstaller(21, "aarch64"), Error);
}

TEST_F(AdoptiumAPITest, TransportFailuresPassThrough) {
    AdoptiumAPI refused{api.http, LoopbackHTTPServer::refusedUrl()};
    try {
        refused.latestInstaller(21, "x64");
        FAIL();
    } catch (const URLError& e) {
        EXPECT_EQ(e.code(), URLError::Code::cannotConnectToHost);
    }
    AdoptiumAPI noHost{api.http, QUrl("not a url")};
    try {
        noHost.latestInstaller(21, "x64");
        FAIL();
    } catch (const URLError& e) {
        EXPECT_EQ(e.code(), URLError::Code::badURL);
    }
}
