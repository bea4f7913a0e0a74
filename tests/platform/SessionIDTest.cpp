#include "platform/SessionID.h"
#include "model/ProductConfig.h"
#include "support/MemoryKeyValueStore.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString javaKey = u"app.tovrin.quellmend.java.session_id"_s;
const QString sample = u"3F2504E0-4F89-41D3-9A0C-0305E82C3301"_s;

// The identifier of the running product, as the telemetry reads it.
SessionID sessionIn(std::shared_ptr<KeyValueStoring> store) {
    return {std::move(store), ProductConfig::current().userDefaultsPrefix};
}

bool isCanonical(const QString& text) {
    return SessionID::parse(text) && text == text.toUpper() && !text.startsWith(u'{');
}

} // namespace

TEST(SessionID, NewIdentifierIsStoredCanonicalAndStaysTheSame) {
    auto store = std::make_shared<test::MemoryKeyValueStore>();
    const SessionID session = sessionIn(store);
    const QUuid first = session.current();
    EXPECT_FALSE(first.isNull());
    const auto stored = store->string(javaKey);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(isCanonical(*stored)) << stored->toStdString();
    EXPECT_EQ(QUuid::fromString(*stored), first);
    EXPECT_EQ(session.current(), first);
    EXPECT_EQ(sessionIn(store).current(), first);
}

TEST(SessionID, StoredIdentifierIsAcceptedInEitherLetterCaseAndLeftAsIs) {
    for (const QString& text : {sample, sample.toLower()}) {
        auto store = std::make_shared<test::MemoryKeyValueStore>();
        store->set(QVariant(text), javaKey);
        EXPECT_EQ(sessionIn(store).current(), QUuid::fromString(sample)) << text.toStdString();
        EXPECT_EQ(store->string(javaKey), text);
    }
}

TEST(SessionID, AnythingButTheBareFormIsReplaced) {
    const QStringList unusable{
        u"{"_s + sample + u"}"_s, u"not-a-uuid"_s,          u""_s,
        u" "_s + sample,          sample.left(35) + u"G"_s, QString(sample).remove(u'-'),
        u"urn:uuid:"_s + sample};
    for (const QString& text : unusable) {
        auto store = std::make_shared<test::MemoryKeyValueStore>();
        store->set(QVariant(text), javaKey);
        const QUuid id = sessionIn(store).current();
        EXPECT_NE(id, QUuid::fromString(sample)) << text.toStdString();
        const auto stored = store->string(javaKey);
        ASSERT_TRUE(stored);
        EXPECT_TRUE(isCanonical(*stored)) << stored->toStdString();
        EXPECT_EQ(sessionIn(store).current(), id);
    }
    // A value of another type is no identifier either.
    auto store = std::make_shared<test::MemoryKeyValueStore>();
    store->set(QVariant(true), javaKey);
    const QUuid id = sessionIn(store).current();
    EXPECT_EQ(store->string(javaKey), SessionID::text(id));
}

TEST(SessionID, EachProductKeepsItsOwnIdentifier) {
    auto store = std::make_shared<test::MemoryKeyValueStore>();
    const QUuid java = sessionIn(store).current();
    ProductConfig other = ProductConfig::javaDiagnosis();
    other.userDefaultsPrefix = u"app.tovrin.tovr.cli"_s;
    QUuid cli;
    {
        test::ScopedProductConfig product(other);
        cli = sessionIn(store).current();
        EXPECT_EQ(store->string(u"app.tovrin.tovr.cli.session_id"_s), SessionID::text(cli));
    }
    EXPECT_NE(java, cli);
    EXPECT_EQ(sessionIn(store).current(), java);
}
