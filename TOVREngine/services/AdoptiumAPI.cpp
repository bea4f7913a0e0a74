#include "services/AdoptiumAPI.h"

#include "platform/DomainError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrlQuery>

namespace tovr {

namespace {

QString requiredString(const QJsonObject& object, const char* key, const char* type) {
    const auto value = object.value(QLatin1String(key));
    if (!value.isString())
        throw AdoptiumAPI::DecodingError(
            QStringLiteral("The Adoptium answer's %1 has no text \"%2\".")
                .arg(QLatin1String(type), QLatin1String(key)));
    return value.toString();
}

} // namespace

QUrl AdoptiumAPI::defaultBaseURL() {
    return QUrl(QStringLiteral("https://api.adoptium.net"));
}

QString AdoptiumAPI::buildArchitecture() {
#if defined(__aarch64__) || defined(__arm64__)
    return QStringLiteral("aarch64");
#else
    return QStringLiteral("x64");
#endif
}

AdoptiumAPI::AssetMetadata
AdoptiumAPI::latestInstaller(qint64 majorVersion, const QString& architecture,
                             std::shared_ptr<HTTPCancellation> cancellation) const {
    QUrl url = baseURL;
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + QStringLiteral("/v3/assets/latest/") + QString::number(majorVersion) +
                QStringLiteral("/hotspot"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("architecture"), architecture);
    query.addQueryItem(QStringLiteral("image_type"), QStringLiteral("jdk"));
    query.addQueryItem(QStringLiteral("os"), QStringLiteral("mac"));
    url.setQuery(query);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        throw URLError(URLError::Code::badURL);

    HTTPRequest request;
    request.url = url;
    request.headers = {{"Accept", "application/json"}};
    request.timeoutSeconds = kTimeoutSeconds;
    const auto [body, response] = http->data(request, std::move(cancellation));
    if (response.statusCode != 200)
        throw URLError(URLError::Code::badServerResponse);

    QJsonParseError parseError;
    const auto document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw DecodingError(QStringLiteral("The Adoptium answer isn't valid JSON: ") +
                            parseError.errorString());
    if (!document.isArray())
        throw DecodingError(QStringLiteral("The Adoptium answer isn't a list of assets."));

    // Every asset must decode, as the whole answer is decoded before the first is used.
    struct Installer {
        QString link, checksum, name;
    };
    std::optional<Installer> firstInstaller;
    QString firstRelease;
    const auto assets = document.array();
    for (qsizetype i = 0; i < assets.size(); ++i) {
        if (!assets[i].isObject())
            throw DecodingError(QStringLiteral("An Adoptium asset isn't an object."));
        const auto asset = assets[i].toObject();
        const auto binary = asset.value(QLatin1String("binary"));
        if (!binary.isObject())
            throw DecodingError(QStringLiteral("An Adoptium asset has no \"binary\" object."));
        const QString release = requiredString(asset, "release_name", "asset");
        const auto installer = binary.toObject().value(QLatin1String("installer"));
        std::optional<Installer> decoded;
        if (!installer.isUndefined() && !installer.isNull()) {
            if (!installer.isObject())
                throw DecodingError(QStringLiteral("An Adoptium installer isn't an object."));
            const auto object = installer.toObject();
            decoded = Installer{requiredString(object, "link", "installer"),
                                requiredString(object, "checksum", "installer"),
                                requiredString(object, "name", "installer")};
        }
        if (i == 0) {
            firstInstaller = decoded;
            firstRelease = release;
        }
    }

    if (!firstInstaller)
        throw DomainError(QLatin1String(kErrorDomain), 1,
                          QStringLiteral("No installer asset for Java ") +
                              QString::number(majorVersion) + QStringLiteral(" on ") +
                              architecture);
    const QUrl link(firstInstaller->link, QUrl::StrictMode);
    if (firstInstaller->link.isEmpty() || !link.isValid() || link.scheme().isEmpty())
        throw DomainError(QLatin1String(kErrorDomain), 2,
                          QStringLiteral("Invalid installer URL from Adoptium"));
    const QString checksum = firstInstaller->checksum.toLower();
    if (checksum.size() != 64)
        throw DomainError(QLatin1String(kErrorDomain), 3,
                          QStringLiteral("Unexpected checksum format from Adoptium (") +
                              QString::number(checksum.size()) + QStringLiteral(" chars)"));
    return AssetMetadata{link, checksum, firstInstaller->name, firstRelease};
}

} // namespace tovr
