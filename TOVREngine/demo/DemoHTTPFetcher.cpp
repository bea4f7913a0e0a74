#include "demo/DemoHTTPFetcher.h"

#include <QUuid>

namespace tovr {

namespace {

void throwIfCanceled(const std::shared_ptr<HTTPCancellation>& cancellation) {
    if (cancellation && cancellation->isCanceled())
        throw URLError(URLError::Code::canceled);
}

bool isHomebrewInstallScript(const QUrl& url) {
    return url.path().contains(QLatin1String("/Homebrew/install/")) &&
           url.path().endsWith(QLatin1String("install.sh"));
}

} // namespace

QString DemoHTTPFetcher::homebrewInstallScript() {
    return QStringLiteral(
        "#!/bin/bash\n"
        "# Homebrew's installer, as the demo Mac serves it: the demo answers for it.\n"
        "HOMEBREW_PREFIX=\"/opt/homebrew\"\n");
}

std::pair<QByteArray, HTTPResponse>
DemoHTTPFetcher::data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation) {
    throwIfCanceled(cancellation);
    HTTPResponse response{404, {}, request.url};
    QByteArray body;
    if (isHomebrewInstallScript(request.url)) {
        response.statusCode = 200;
        body = homebrewInstallScript().toUtf8();
    }
    return {body, response};
}

std::pair<QString, HTTPResponse>
DemoHTTPFetcher::download(const HTTPRequest& request, DownloadProgress progress,
                          std::shared_ptr<HTTPCancellation> cancellation) {
    throwIfCanceled(cancellation);
    const QByteArray body = "A download of the demo Mac: " + request.url.toEncoded() + '\n';
    const QString path = fs_->temporaryDirectory() + QStringLiteral("/demo-download-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        fs_->writeData(body, path);
    } catch (const Error& e) {
        throw URLError(URLError::Code::cannotCreateFile, e.description());
    }
    if (progress)
        progress(body.size(), body.size());
    return {path, HTTPResponse{200, {}, request.url}};
}

ByteSample DemoHTTPFetcher::sampleBytes(const HTTPRequest&, qint64 limit, double) {
    const qint64 bytes = std::max<qint64>(limit, 1);
    return ByteSample{bytes, double(bytes) / kBytesPerSecond};
}

} // namespace tovr
