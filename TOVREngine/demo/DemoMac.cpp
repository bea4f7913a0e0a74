#include "demo/DemoMac.h"

#include "platform/ResourceLocator.h"

#include "demo/DemoHTTPFetcher.h"
#include "model/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"

#include <QCoreApplication>
#include <QMap>
#include <QTemporaryDir>

namespace tovr {

namespace {

class DemoEnvironment final : public SystemEnvironment {
public:
    explicit DemoEnvironment(const QString& home)
        : variables_{{QStringLiteral("HOME"), home},
                     {QStringLiteral("SHELL"), QStringLiteral("/bin/zsh")},
                     {QStringLiteral("USER"), home.section(u'/', -1)},
                     {QStringLiteral("PATH"), QString::fromLatin1(DemoShell::kApplicationPath)},
                     {QStringLiteral("TMPDIR"), QStringLiteral("/tmp")},
                     {QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8")}} {}
    std::optional<QString> variable(const QString& name) const override {
        auto it = variables_.constFind(name);
        return it == variables_.cend() ? std::nullopt : std::optional(*it);
    }
    OperatingSystemVersion operatingSystemVersion() const override { return {14, 6, 1}; }

private:
    QMap<QString, QString> variables_;
};

// User defaults in a temporary folder that lives as long as they do.
struct PrivateDefaults {
    QTemporaryDir dir;
    LiveKeyValueStore store{dir.filePath(QStringLiteral("defaults.ini"))};
};

} // namespace

DemoMac::DemoMac() : DemoMac(Options{}) {}

DemoMac::DemoMac(Options options)
    : fs_(std::make_shared<SandboxFileSystem>()),
      runner_(std::make_shared<DemoProcessRunner>(fs_, options.pace)),
      http_(std::make_shared<DemoHTTPFetcher>(fs_)),
      environment_(std::make_shared<DemoEnvironment>(fs_->homeDirectory())) {
    DemoShell::buildNewMac(*fs_);
    // The application's bundled skills and example projects are read where they are.
    fs_->shareHostFolder(resourcesDirectory());
    if (options.privateDefaults) {
        // Outside the sandbox: the Mac's files and the app's settings are apart.
        auto holder = std::make_shared<PrivateDefaults>();
        defaults_ = std::shared_ptr<KeyValueStoring>(holder, &holder->store);
    } else {
        defaults_ = std::make_shared<LiveKeyValueStore>(QCoreApplication::organizationName(),
                                                        settingsApplicationName());
    }
}

QString DemoMac::settingsApplicationName() {
    return ProductConfig::current().displayName + QStringLiteral(" Demo");
}

AppServices DemoMac::services() const {
    AppServices services;
    services.processRunner = runner_;
    services.http = http_;
    services.fs = fs_;
    services.store = defaults_;
    services.isFixtureMode = false;
    return services;
}

} // namespace tovr
