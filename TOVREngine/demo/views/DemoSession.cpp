#include "demo/views/DemoSession.h"

#include "demo/DemoDesktop.h"
#include "demo/views/DemoFolderPicker.h"
#include "demo/views/DemoNotes.h"
#include "model/ProductConfig.h"

#include <QFileInfo>
#include <QSettings>

#include <array>

namespace tovr {

namespace {

// Usage events off, and what the service keeps (its session, its pending file) inside the
// Mac rather than in this machine's settings.
std::shared_ptr<TelemetryService> demoTelemetry(const DemoMac& mac) {
    const ProductConfig product = ProductConfig::current();
    TelemetryService::Configuration configuration;
    configuration.disabled = true;
    configuration.appID = product.appID;
    configuration.appVersion = TelemetryService::Configuration::bundleAppVersion();
    configuration.kvStore = mac.userDefaults();
    configuration.fs = mac.fs();
    configuration.pendingFileURL =
        TelemetryService::Configuration::defaultPendingFile(*mac.fs(), product.appSupportDirName);
    return std::make_shared<TelemetryService>(std::move(configuration));
}

// The formats whose user settings are files in a folder Qt can be given. A Mac's native
// settings are the system's defaults of the real home, wherever Qt is told to keep them.
#if defined(Q_OS_MACOS)
constexpr std::array kFileFormats{QSettings::IniFormat};
#else
constexpr std::array kFileFormats{QSettings::NativeFormat, QSettings::IniFormat};
#endif

} // namespace

// While it lives, settings made through Qt's defaults (a QSettings given no file) are INI files
// in one folder, on every system; afterwards Qt's defaults are as they were.
class DemoSession::QtSettingsInside {
public:
    explicit QtSettingsInside(const QString& folder) : format_(QSettings::defaultFormat()) {
        for (std::size_t i = 0; i < kFileFormats.size(); ++i)
            folders_[i] = userFolder(kFileFormats[i]);
        QSettings::setDefaultFormat(QSettings::IniFormat);
        for (const auto format : kFileFormats)
            QSettings::setPath(format, QSettings::UserScope, folder);
    }
    ~QtSettingsInside() {
        QSettings::setDefaultFormat(format_);
        for (std::size_t i = 0; i < kFileFormats.size(); ++i)
            QSettings::setPath(kFileFormats[i], QSettings::UserScope, folders_[i]);
    }
    QtSettingsInside(const QtSettingsInside&) = delete;
    QtSettingsInside& operator=(const QtSettingsInside&) = delete;

private:
    // The folder Qt keeps a format's user settings in now, read off the file it would name.
    static QString userFolder(QSettings::Format format) {
        const QSettings probe(format, QSettings::UserScope, QStringLiteral("tovr"),
                              QStringLiteral("probe"));
        return QFileInfo(QFileInfo(probe.fileName()).absolutePath()).absolutePath();
    }

    QSettings::Format format_;
    std::array<QString, kFileFormats.size()> folders_;
};

DemoSession::DemoSession(DemoMac::Options options)
    : mac_(std::make_unique<DemoMac>(options)),
      qtSettings_(std::make_unique<QtSettingsInside>(mac_->preferencesFolder())),
      notes_(std::make_unique<DemoNotes>()) {
    desktop_ = std::make_shared<DemoDesktop>(
        mac_->fs()->homeDirectory(),
        [notes = QPointer<DemoNotes>(notes_.get())](const QString& text) {
            if (notes)
                notes->show(text);
        });
    picker_ = std::make_shared<DemoFolderPicker>(mac_->fs());
    telemetry_ = std::make_unique<TelemetryService::ScopedShared>(demoTelemetry(*mac_));

    context_.services = mac_->services();
    context_.userDefaults = mac_->userDefaults();
    context_.environment = mac_->environment();
    context_.urlOpener = desktop_;
    context_.clipboard = desktop_;
    context_.fileRevealer = desktop_;
    context_.folderPicker = picker_;
}

DemoSession::~DemoSession() = default;

void DemoSession::setWindow(QWidget* window) {
    notes_->setWindow(window);
    picker_->setWindow(window);
}

} // namespace tovr
