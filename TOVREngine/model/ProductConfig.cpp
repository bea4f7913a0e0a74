#include "model/ProductConfig.h"

#include "model/JavaProfile.h"

#include <mutex>

namespace tovr {

namespace {

QUrl appendPath(const QUrl& base, QStringView path) {
    while (path.startsWith(u'/'))
        path = path.mid(1);
    if (path.isEmpty())
        return base;
    QString basePath = base.path();
    while (basePath.endsWith(QLatin1Char('/')))
        basePath.chop(1);
    QUrl url = base;
    url.setPath(basePath + QLatin1Char('/') + path.toString());
    return url;
}

// The running product. Written once by the application entry before other threads
// exist (and by tests between cases); the mutex keeps every read a whole copy.
struct CurrentProduct {
    std::mutex mutex;
    ProductConfig config = ProductConfig::javaDiagnosis();
};

CurrentProduct& currentProduct() {
    static CurrentProduct product;
    return product;
}

} // namespace

ProductConfig::ProductConfig(QString appID, QString displayName, QString appSupportDirName,
                             QString userDefaultsPrefix, QString shellConfigMarker,
                             bool datedShellMarker, QString cacheDirName, ProductCopy copy,
                             ProductURLs urls, ConsentCopy consent,
                             std::shared_ptr<const DiagnosisProfile> diagnosisProfile,
                             std::optional<GoalPrompt> goalPrompt,
                             std::optional<NextStepPrompt> nextStepPrompt,
                             QMap<QString, OfferSpec> offerCatalog, SetupFlow flow)
    : appID(std::move(appID)), displayName(std::move(displayName)),
      appSupportDirName(std::move(appSupportDirName)),
      userDefaultsPrefix(std::move(userDefaultsPrefix)),
      shellConfigMarker(std::move(shellConfigMarker)), datedShellMarker(datedShellMarker),
      cacheDirName(std::move(cacheDirName)), copy(std::move(copy)), urls(std::move(urls)),
      consent(std::move(consent)), diagnosisProfile(std::move(diagnosisProfile)),
      goalPrompt(std::move(goalPrompt)), nextStepPrompt(std::move(nextStepPrompt)),
      offerCatalog(std::move(offerCatalog)), flow(flow) {}

QUrl articleSiteURL(QStringView path) {
    return appendPath(QUrl(articleSiteRoot.toString()), path);
}

QUrl ProductURLs::article(QStringView path) const {
    return appendPath(articleBase, path);
}

const ConsentCopy& ConsentCopy::standard() {
    static const ConsentCopy copy{
        QStringLiteral("What this app does"),
        {QStringLiteral("Checks and installs Java, if you wish."),
         QStringLiteral("Performs a system check for your Mac setup."),
         QStringLiteral("Asks for your permission before installing or changing anything.")},
        QStringLiteral("Your privacy and Mac integrity are respected"),
        {QStringLiteral("The app never identifies you and never records your IP address."),
         QStringLiteral("No passwords or file contents are ever recorded."),
         QStringLiteral("Usage events are anonymous."),
         QString::fromUtf8("The “How did we do?” score is reported anonymously."),
         QStringLiteral("A random session ID is created for anonymous usage counts.")},
    };
    return copy;
}

QStringList ConsentCopy::setupPrivacyBullets() {
    QStringList bullets = standard().privacyBullets;
    bullets.removeIf([](const QString& line) { return line.contains(u"score"); });
    return bullets;
}

const ProductConfig& ProductConfig::javaDiagnosis() {
    static const ProductConfig config{
        QStringLiteral("qlm-java"),
        QStringLiteral("Quellmend for Java"),
        QStringLiteral("Quellmend"),
        publisherDefaultsPrefix.toString() + QStringLiteral(".quellmend.java"),
        QStringLiteral("Quellmend"),
        true,
        QStringLiteral("Quellmend"),
        ProductCopy{QStringLiteral("Diagnose and fix common Mac setup errors."),
                    QStringLiteral("Diagnose Java"), std::nullopt},
        ProductURLs{
            articleSiteURL(u""),
            articleSiteURL(u"/quellmend/privacy"),
            articleSiteURL(u"/java/download"),
            articleSiteURL(u"/java/unable-to-locate"),
            articleSiteURL(u"/java/java-home"),
            articleSiteURL(u"/commandlinetools"),
            articleSiteURL(u"/macos/upgrade"),
            QUrl(warpSiteRoot.toString() +
                 QStringLiteral("/mac-terminal?utm_source=lumbrook&utm_medium=app"
                                "&utm_campaign=lumbrook_20260516&utm_content=quellmend_audit")),
        },
        ConsentCopy::standard(),
        std::make_shared<JavaProfile>(),
        std::nullopt,
        std::nullopt,
        {},
        SetupFlow::diagnose,
    };
    return config;
}

ProductConfig ProductConfig::current() {
    auto& product = currentProduct();
    std::lock_guard lock(product.mutex);
    return product.config;
}

void ProductConfig::setCurrent(ProductConfig config) {
    auto& product = currentProduct();
    std::lock_guard lock(product.mutex);
    product.config = std::move(config);
}

} // namespace tovr
