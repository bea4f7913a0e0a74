#pragma once

#include "model/DiagnosisProfile.h"
#include "model/GoalPrompt.h"
#include "model/NextStepPrompt.h"
#include "model/OfferSpec.h"
#include "model/SetupFlow.h"
#include "model/SetupProber.h"
#include "model/SetupVerifier.h"
#include "model/SharedDomainCopy.h"
#include "model/SpineCopyProviding.h"
#include "model/SpineProvider.h"
#include "model/SpineRenderPolicy.h"
#include "model/StageCatalogProviding.h"
#include "platform/FileAppendWriter.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <memory>
#include <optional>

namespace tovr {

// The publisher's article site: every article and privacy link of every product is a path
// under this one root.
inline constexpr QStringView articleSiteRoot = u"https://tovrin.app/articles";
// The start of every product's settings keys.
inline constexpr QStringView publisherDefaultsPrefix = u"app.tovrin";
// The Warp terminal's own site, for its download link.
inline constexpr QStringView warpSiteRoot = u"https://www.warp.dev";

// A page of the publisher's article site; an empty path is the root itself.
QUrl articleSiteURL(QStringView path);

// A product's fixed links.
struct ProductURLs {
    QUrl articleBase;
    QUrl privacy;
    QUrl installMethods;
    QUrl troubleshooting;
    QUrl envConfig;
    QUrl commandLineTools;
    QUrl macosUpgrade;
    QUrl warpAffiliate;

    // An article path named by a render policy or screen copy, appended to `articleBase`
    // as path components; an empty path is `articleBase` itself.
    QUrl article(QStringView path) const;

    bool operator==(const ProductURLs&) const = default;
};

// The welcome screen's texts.
struct ProductCopy {
    QString welcomeExplainer;
    QString primaryCTA;
    std::optional<QString> welcomeHeadline;

    bool operator==(const ProductCopy&) const = default;
};

// The first-run consent screen: two titled bullet lists.
struct ConsentCopy {
    QString whatTitle;
    QStringList whatBullets;
    QString privacyTitle;
    QStringList privacyBullets;

    // The copy most products show; made once, on first use.
    static const ConsentCopy& standard();
    // The standard privacy bullets without the line about the score, as the setup
    // products show them.
    static QStringList setupPrivacyBullets();

    bool operator==(const ConsentCopy&) const = default;
};

// One product the engine carries. Built with its first fifteen fields; a product with
// plug-ins sets them before the value is shared, and nothing changes it afterwards.
// Plug-ins are immutable, so copies share them; an absent plug-in is null.
struct ProductConfig {
    ProductConfig(QString appID, QString displayName, QString appSupportDirName,
                  QString userDefaultsPrefix, QString shellConfigMarker, bool datedShellMarker,
                  QString cacheDirName, ProductCopy copy, ProductURLs urls, ConsentCopy consent,
                  std::shared_ptr<const DiagnosisProfile> diagnosisProfile,
                  std::optional<GoalPrompt> goalPrompt,
                  std::optional<NextStepPrompt> nextStepPrompt,
                  QMap<QString, OfferSpec> offerCatalog, SetupFlow flow);

    QString appID;
    QString displayName;
    QString appSupportDirName;
    QString userDefaultsPrefix; // keys are this plus ".consented", ".nps_submitted", ".session_id"
    QString shellConfigMarker;
    bool datedShellMarker = false;
    QString cacheDirName;
    ProductCopy copy;
    ProductURLs urls;
    ConsentCopy consent;
    std::shared_ptr<const DiagnosisProfile> diagnosisProfile;
    std::optional<GoalPrompt> goalPrompt;
    std::optional<NextStepPrompt> nextStepPrompt;
    QMap<QString, OfferSpec> offerCatalog; // by offer id
    SetupFlow flow = SetupFlow::diagnose;

    std::shared_ptr<const SpineProvider> spineProvider;
    std::shared_ptr<const SetupVerifier> verifier;
    SharedDomainCopy sharedDomainCopy = SharedDomainCopy::standard();
    SpineRenderPolicy spinePolicy;
    std::shared_ptr<const SetupProber> prober;
    std::shared_ptr<const SpineCopyProviding> spineCopy;
    std::shared_ptr<const StageCatalogProviding> stageCatalog;

    // The Java diagnosis product; made once, on first use. The setup products are made in
    // products/: cliProduct(), brewProduct(), claudeProduct().
    static const ProductConfig& javaDiagnosis();

    // The marker on the lines this product appends to shell start-up files.
    FileAppendWriter::Marker shellMarker() const { return {shellConfigMarker, datedShellMarker}; }

    // The running product: the Java diagnosis product until the application entry replaces
    // it, once, before any window or worker thread exists. Readers get a copy; safe from
    // any thread.
    static ProductConfig current();
    static void setCurrent(ProductConfig config);
};

} // namespace tovr
