#pragma once

#include "platform/HTTPFetching.h"
#include "platform/SandboxFileSystem.h"

#include <memory>

namespace tovr {

// The demo Mac's network, which never leaves the process: the readiness samples measure a
// fast connection, the Homebrew install script arrives (DemoShell recognises it when it
// runs), downloads land in the sandbox's /tmp, and anything else is not found.
class DemoHTTPFetcher final : public HTTPFetching {
public:
    explicit DemoHTTPFetcher(std::shared_ptr<SandboxFileSystem> fs) : fs_(std::move(fs)) {}

    std::pair<QByteArray, HTTPResponse>
    data(const HTTPRequest& request, std::shared_ptr<HTTPCancellation> cancellation = {}) override;
    std::pair<QString, HTTPResponse>
    download(const HTTPRequest& request, DownloadProgress progress = {},
             std::shared_ptr<HTTPCancellation> cancellation = {}) override;
    ByteSample sampleBytes(const HTTPRequest& request, qint64 limit,
                           double timeoutSeconds) override;

    // The Homebrew install script it serves; the demo shell installs Homebrew when it runs
    // exactly this.
    static QString homebrewInstallScript();

    // The rate the samples report: 200 Mbit/s.
    static constexpr double kBytesPerSecond = 25e6;

private:
    std::shared_ptr<SandboxFileSystem> fs_;
};

} // namespace tovr
