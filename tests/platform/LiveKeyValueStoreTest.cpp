#include "platform/LiveKeyValueStore.h"
#include "platform/AppServices.h"
#include "platform/JoiningThread.h"
#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LoginEnvironmentRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovr;

TEST(LiveKeyValueStore, StoresReadsAndRemoves) {
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    {
        LiveKeyValueStore store(file);
        EXPECT_EQ(store.string("tovr.session_id"), std::nullopt);
        store.set(QVariant("ABC-123"), "tovr.session_id");
        store.set(QVariant(true), "tovr.consented");
        store.set(QVariant(QStringList{"a", "b"}), "tovr.list");
        EXPECT_EQ(store.string("tovr.session_id"), "ABC-123");
        EXPECT_EQ(store.boolean("tovr.consented"), true);
        EXPECT_EQ(store.string("tovr.list"), std::nullopt);
        EXPECT_EQ(store.boolean("tovr.session_id"), std::nullopt);

        store.set(QVariant("gone soon"), "tovr.other");
        store.set(std::nullopt, "tovr.other");
        EXPECT_EQ(store.string("tovr.other"), std::nullopt);
    }
    // A new store over the same file, as at the next launch.
    LiveKeyValueStore reopened(file);
    EXPECT_EQ(reopened.string("tovr.session_id"), "ABC-123");
    EXPECT_EQ(reopened.boolean("tovr.consented"), true);
    EXPECT_EQ(reopened.string("tovr.other"), std::nullopt);
}

TEST(AppServices, LiveIsOneBundleOfTheLiveServices) {
    std::vector<AppServices> seen(4);
    {
        std::vector<JoiningThread> threads;
        for (auto& s : seen)
            threads.emplace_back([&s] { s = AppServices::live(); });
    }
    const AppServices live = AppServices::live();
    for (const auto& s : seen) {
        EXPECT_EQ(s.processRunner, live.processRunner);
        EXPECT_EQ(s.http, live.http);
        EXPECT_EQ(s.fs, live.fs);
        EXPECT_EQ(s.store, live.store);
    }
    EXPECT_FALSE(live.isFixtureMode);
    EXPECT_NE(dynamic_cast<LoginEnvironmentRunner*>(live.processRunner.get()), nullptr);
    EXPECT_NE(dynamic_cast<LiveHTTPFetcher*>(live.http.get()), nullptr);
    EXPECT_NE(dynamic_cast<LiveFileSystem*>(live.fs.get()), nullptr);
    EXPECT_NE(dynamic_cast<LiveKeyValueStore*>(live.store.get()), nullptr);
}
