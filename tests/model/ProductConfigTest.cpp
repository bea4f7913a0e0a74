#include "model/ProductConfig.h"
#include "model/JavaProfile.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

ProductConfig cliLike() {
    return ProductConfig{
        u"tovr-cli"_s,
        u"Tovrin for the Command Line"_s,
        u"Tovrin for the Command Line"_s,
        u"app.tovrin.tovr.cli"_s,
        u"Tovrin"_s,
        false,
        u"TovrinCli"_s,
        ProductCopy{u"Explainer"_s, u"Check my setup"_s, u"Headline"_s},
        ProductConfig::javaDiagnosis().urls,
        ConsentCopy::standard(),
        std::make_shared<InertDiagnosisProfile>(),
        std::nullopt,
        std::nullopt,
        {},
        SetupFlow::setupWorkflow,
    };
}

} // namespace

TEST(ProductConfig, TheJavaDiagnosisProductRunsUntilTheEntryReplacesIt) {
    const ProductConfig current = ProductConfig::current();
    EXPECT_EQ(current.appID, u"qlm-java"_s);
    EXPECT_EQ(current.flow, SetupFlow::diagnose);
    EXPECT_FALSE(current.spineProvider || current.verifier || current.prober || current.spineCopy ||
                 current.stageCatalog);
    ASSERT_TRUE(current.diagnosisProfile);
    EXPECT_TRUE(dynamic_cast<const JavaProfile*>(current.diagnosisProfile.get()));

    EXPECT_EQ(current.consent, ConsentCopy::standard());
}

TEST(ProductConfig, LinksShareOneSiteRoot) {
    const ProductURLs& urls = ProductConfig::javaDiagnosis().urls;
    EXPECT_EQ(urls.articleBase, QUrl(u"https://tovrin.app/articles"_s));
    EXPECT_EQ(urls.privacy, QUrl(u"https://tovrin.app/articles/quellmend/privacy"_s));
    for (const QUrl& url :
         {urls.articleBase, urls.privacy, urls.installMethods, urls.troubleshooting, urls.envConfig,
          urls.commandLineTools, urls.macosUpgrade, urls.warpAffiliate})
        EXPECT_TRUE(url.isValid() && !url.isRelative()) << url.toString().toStdString();

    EXPECT_EQ(urls.warpAffiliate.path(), u"/mac-terminal"_s);
    EXPECT_EQ(urls.warpAffiliate.query(),
              u"utm_source=lumbrook&utm_medium=app&utm_campaign=lumbrook_20260516"
              "&utm_content=quellmend_audit"_s);

    // Article paths from policies and copy come with or without a leading slash.
    EXPECT_EQ(urls.article(u"tovrin/coming-soon"),
              QUrl(u"https://tovrin.app/articles/tovrin/coming-soon"_s));
    EXPECT_EQ(urls.article(u"/java/java-home"), urls.envConfig);
    EXPECT_EQ(urls.article(u""), urls.articleBase);
}

TEST(ProductConfig, FifteenFieldConstructionLeavesPlugInsAbsentAndSharedDefaults) {
    const ProductConfig config = cliLike();
    EXPECT_FALSE(config.spineProvider || config.verifier || config.prober || config.spineCopy ||
                 config.stageCatalog);
    EXPECT_EQ(config.sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(config.spinePolicy.homebrewIndependentDomains,
              (QSet<QString>{u"clt"_s, u"homebrew"_s}));
    EXPECT_TRUE(config.spinePolicy.offers.isEmpty());
    EXPECT_TRUE(config.spinePolicy.stageArticlePaths.isEmpty());
    EXPECT_FALSE(config.spinePolicy.privilegedActionReason);
    EXPECT_FALSE(config.spinePolicy.networkReadiness || config.spinePolicy.diskReadiness);
}

TEST(ProductConfig, OverrideRestoresThePreviousProductEvenWhenNested) {
    const QString before = ProductConfig::current().appID;
    {
        test::ScopedProductConfig cli(cliLike());
        EXPECT_EQ(ProductConfig::current().appID, u"tovr-cli"_s);
        EXPECT_EQ(ProductConfig::current().userDefaultsPrefix + u".consented"_s,
                  u"app.tovrin.tovr.cli.consented"_s);
        {
            ProductConfig other = cliLike();
            other.appID = u"other"_s;
            test::ScopedProductConfig inner(other);
            EXPECT_EQ(ProductConfig::current().appID, u"other"_s);
        }
        EXPECT_EQ(ProductConfig::current().appID, u"tovr-cli"_s);
    }
    EXPECT_EQ(ProductConfig::current().appID, before);
}

TEST(ProductConfig, ManyThreadsReadTheReplacedProductWhileNothingWrites) {
    test::ScopedProductConfig cli(cliLike());
    std::atomic<int> wrong = 0;
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; ++t)
        readers.emplace_back([&wrong] {
            for (int i = 0; i < 500; ++i) {
                const ProductConfig config = ProductConfig::current();
                if (config.appID != u"tovr-cli"_s || config.flow != SetupFlow::setupWorkflow ||
                    config.sharedDomainCopy.cltReady.headline.isEmpty())
                    ++wrong;
            }
        });
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}
