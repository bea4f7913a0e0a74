#pragma once

#include "platform/Error.h"
#include "platform/HTTPFetching.h"

#include <QString>
#include <QUrl>

#include <memory>

namespace tovr {

// Finds the newest Temurin installer package for one Java major version and processor on
// the Adoptium assets service. Stateless; each call sends one request.
struct AdoptiumAPI {
    std::shared_ptr<HTTPFetching> http;
    // The service's root; the assets path is appended to it.
    QUrl baseURL = defaultBaseURL();

    struct AssetMetadata {
        QUrl downloadURL;
        QString checksum; // SHA-256, 64 lower-case hexadecimal characters
        QString filename;
        QString releaseName;
        bool operator==(const AssetMetadata&) const = default;
    };

    // The answer was not the JSON the service documents.
    class DecodingError : public Error {
    public:
        using Error::Error;
    };

    // Throws URLError (transport, `badServerResponse` for any status but 200), DecodingError,
    // or DomainError of domain "AdoptiumAPI": 1 no installer, 2 bad link, 3 bad checksum.
    AssetMetadata latestInstaller(qint64 majorVersion, const QString& architecture,
                                  std::shared_ptr<HTTPCancellation> cancellation = {}) const;

    static QUrl defaultBaseURL();
    // The service's name for the processor this program was built for.
    static QString buildArchitecture();

    static constexpr const char* kErrorDomain = "AdoptiumAPI";
    static constexpr double kTimeoutSeconds = 20;
};

} // namespace tovr
