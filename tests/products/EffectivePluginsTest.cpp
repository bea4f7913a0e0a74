#include "products/EffectivePlugins.h"
#include "model/ClaudeStageCatalog.h"
#include "products/brew/BrewProber.h"
#include "products/brew/BrewProductConfig.h"
#include "products/brew/BrewSpineCopy.h"
#include "products/brew/BrewSpineProvider.h"
#include "products/brew/BrewVerifier.h"
#include "products/claude/ClaudeProductConfig.h"
#include "products/claude/ClaudeSetupProber.h"
#include "products/claude/ClaudeSetupVerifier.h"
#include "products/claude/ClaudeSpineCopyProvider.h"
#include "products/claude/ClaudeSpineProvider.h"
#include "products/cli/CliProductConfig.h"
#include "products/cli/CliSpineCopy.h"
#include "products/cli/CliSpineProvider.h"
#include "products/cli/CliVerifier.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

#include <typeindex>

using namespace tovr;
using namespace tovr::test;

namespace {

template <class T> std::type_index typeOf(const std::shared_ptr<const T>& plugin) {
    return plugin ? std::type_index(typeid(*plugin)) : std::type_index(typeid(void));
}

QStringList domainIDs(const QList<WorkflowStep>& steps) {
    QStringList ids;
    for (const auto& step : steps)
        ids << step.stage->domainID();
    return ids;
}

// A product whose provider has no list to give.
class SilentSpineProvider final : public SpineProvider {
public:
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>&, const SystemProfile&,
                                             const SetupProbeBundle&) const override {
        return std::nullopt;
    }
    QList<SetupRemediation> remediations(const QString&, const SystemProfile&,
                                         const SetupProbeBundle&) const override {
        return {};
    }
};

} // namespace

TEST(EffectivePlugins, EachProductGetsItsOwnOrClaudeCodes) {
    const struct {
        const char* name;
        const ProductConfig& config;
        std::type_index prober, spineProvider, verifier, spineCopy;
        const char* secondDomain; // tells whose step list it is
    } products[] = {
        {"java", ProductConfig::javaDiagnosis(), typeid(ClaudeSetupProber),
         typeid(ClaudeSpineProvider), typeid(ClaudeSetupVerifier), typeid(ClaudeSpineCopyProvider),
         "homebrew"},
        {"cli", cliProduct(), typeid(BrewProber), typeid(CliSpineProvider), typeid(CliVerifier),
         typeid(CliSpineCopy), "shell-config"},
        {"brew", brewProduct(), typeid(BrewProber), typeid(BrewSpineProvider), typeid(BrewVerifier),
         typeid(BrewSpineCopy), "homebrew"},
        {"claude", claudeProduct(), typeid(ClaudeSetupProber), typeid(ClaudeSpineProvider),
         typeid(ClaudeSetupVerifier), typeid(ClaudeSpineCopyProvider), "homebrew"},
    };
    const FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    const auto profile = mac.profiler().profile();
    for (const auto& product : products) {
        SCOPED_TRACE(product.name);
        const ScopedProductConfig running(product.config);
        const EffectivePlugins plugins = resolvePlugins(product.config);
        EXPECT_EQ(typeOf(plugins.prober), product.prober);
        EXPECT_EQ(typeOf(plugins.spineProvider), product.spineProvider);
        EXPECT_EQ(typeOf(plugins.verifier), product.verifier);
        EXPECT_EQ(typeOf(plugins.spineCopy), product.spineCopy);
        EXPECT_EQ(typeOf(plugins.stageCatalog), std::type_index(typeid(ClaudeStageCatalog)));

        const auto probes = plugins.prober->probe(ShellRunner{mac.runner()}, mac.fs());
        const auto steps = plugins.spine(profile, probes);
        ASSERT_GE(steps.size(), 2);
        EXPECT_EQ(steps[0].stage->domainID(), "clt");
        EXPECT_EQ(steps[1].stage->domainID(), product.secondDomain);
    }
}

TEST(EffectivePlugins, AProviderWithoutAListFallsBackToClaudeCodeSteps) {
    ProductConfig config = cliProduct();
    config.spineProvider = std::make_shared<SilentSpineProvider>();
    const ScopedProductConfig running(config);
    const EffectivePlugins plugins = resolvePlugins(config);
    EXPECT_EQ(plugins.spineProvider, config.spineProvider);

    SystemProfile profile;
    profile.architecture = Architecture::intel;
    const auto steps = plugins.spine(profile, {});
    EXPECT_EQ(domainIDs(steps), domainIDs(ClaudeSpineProvider::spine(profile, {})));
    EXPECT_EQ(steps.size(), 13);
    EXPECT_EQ(steps[2].stage->domainID(), "claude-cli");
}

TEST(EffectivePlugins, FallbacksAreSharedAndTheCatalogueIsTheOneCatalogue) {
    const auto java = resolvePlugins(ProductConfig::javaDiagnosis());
    const auto again = resolvePlugins(ProductConfig::javaDiagnosis());
    EXPECT_EQ(java.verifier, again.verifier);
    EXPECT_EQ(java.stageCatalog->skills(true), AgentSkill::catalog(true));
    EXPECT_EQ(java.stageCatalog->mcpServers(),
              resolvePlugins(cliProduct()).stageCatalog->mcpServers());
}
