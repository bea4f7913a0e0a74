#include "demo/DemoMac.h"

#include "demo/DemoHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/ResourceLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace tovr {

namespace {

const QString kFolderPrefix = QStringLiteral("tovr-demo-mac-");

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

// The Mac's files and the settings kept among them, which close before their folder goes.
struct Sandbox {
    explicit Sandbox(const QString& folderTemplate)
        : fs(QStringLiteral("/Users/dev"), folderTemplate) {}
    SandboxFileSystem fs;
    std::optional<LiveKeyValueStore> defaults;
};

// The folder Qt and this process take for temporary files; empty when it does not exist
// (QDir would take an empty path for the working folder).
QString existingTemporaryFolder() {
    const QString folder = QDir::tempPath();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

bool processIsGone(qint64 pid) {
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

DemoMac::DemoMac() : DemoMac(Options{}) {}

DemoMac::DemoMac(Options options) {
    const QString folderTemplate = options.parentFolder.isEmpty()
                                       ? DemoMac::folderTemplate()
                                       : options.parentFolder + QStringLiteral("/mac-XXXXXX");
    if (folderTemplate.isEmpty())
        throw std::runtime_error("there is no temporary folder for the demo Mac");
    auto sandbox = std::make_shared<Sandbox>(folderTemplate);
    fs_ = std::shared_ptr<SandboxFileSystem>(sandbox, &sandbox->fs);
    DemoShell::buildNewMac(*fs_);
    sandbox->defaults.emplace(fs_->hostPath(
        fs_->homeDirectory() + QStringLiteral("/Library/Preferences/org.tovrin.cli.ini")));
    defaults_ = std::shared_ptr<KeyValueStoring>(sandbox, &*sandbox->defaults);
    // The application's bundled skills and example projects are read where they are, and
    // cannot be changed from inside the Mac.
    fs_->shareHostFolder(resourcesDirectory());
    runner_ = std::make_shared<DemoProcessRunner>(fs_, options.pace);
    http_ = std::make_shared<DemoHTTPFetcher>(fs_);
    environment_ = std::make_shared<DemoEnvironment>(fs_->homeDirectory());
}

QString DemoMac::preferencesFolder() const {
    return fs_->hostPath(fs_->homeDirectory() + QStringLiteral("/Library/Preferences"));
}

QString DemoMac::folderTemplate() {
    const QString folder = existingTemporaryFolder();
    if (folder.isEmpty())
        return {};
    return folder + u'/' + kFolderPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX");
}

int DemoMac::removeLeftovers() {
    static const QRegularExpression name(QStringLiteral("^") + kFolderPrefix +
                                         QStringLiteral("(\\d+)-[A-Za-z0-9]+$"));
    const QString folder = existingTemporaryFolder();
    if (folder.isEmpty())
        return 0;
    int removed = 0;
    const auto entries = QDir(folder).entryInfoList(
        {kFolderPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const auto match = name.match(entry.fileName());
        if (!match.hasMatch() || entry.isSymLink() || entry.ownerId() != ::getuid())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid <= 0 || pid == ::getpid() || !processIsGone(pid))
            continue;
        if (QDir(entry.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

AppServices DemoMac::services() const {
    AppServices services;
    services.processRunner = runner_;
    services.http = http_;
    services.fs = fs_;
    services.store = defaults_;
    // The Mac answers from its own environment, never the machine's.
    services.toolLocations =
        ToolLocationsSource::fixed(ToolLocations::fromEnvironment(*environment_));
    services.isFixtureMode = false;
    return services;
}

} // namespace tovr
