#include "products/brew/BrewProber.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "services/GitSetup.h"
#include "services/ShellConfigurator.h"

namespace tovr {

QStringList BrewProber::brewPathEntries(const ShellRunner& shell) {
    return shell.pathEntries(QStringLiteral("brew"));
}

std::pair<std::optional<QString>, qint32> BrewProber::brewVersion(const ShellRunner& shell) {
    try {
        const auto result = shell.runInLoginShell(QStringLiteral("brew --version 2>&1"));
        const QString output = result.stdout_.trimmed();
        return {output.isEmpty() ? std::nullopt : std::optional(output), result.exitCode};
    } catch (const Error&) {
        return {std::nullopt, -1};
    }
}

QStringList BrewProber::brewBinaryCandidates(FileSystemOperating& fs) {
    QStringList found;
    for (const char* path : {"/opt/homebrew/bin/brew", "/usr/local/bin/brew"})
        if (fs.fileExists(QString::fromLatin1(path)))
            found << QString::fromLatin1(path);
    return found;
}

SetupProbeBundle BrewProber::probe(const ShellRunner& shell,
                                   const std::shared_ptr<FileSystemOperating>& fs) const {
    SetupProbeBundle bundle;
    auto [onPath, version, candidates] =
        concurrently([&] { return brewPathEntries(shell); }, [&] { return brewVersion(shell); },
                     [&] { return brewBinaryCandidates(*fs); });
    bundle.pathVisiblePrimaryTools = onPath;
    bundle.installedPrimaryToolLocations = candidates;
    bundle.versionOutput = version.first;
    bundle.versionExitCode = version.second;
    const ToolLocations locations = shell.toolLocations();
    bundle.shellConfigured = ShellConfigurator{fs, {}, locations}.isConfigured();
    bundle.gitConfigFile = GitSetup{nullptr, fs, locations}.globalConfigFile();
    return bundle;
}

} // namespace tovr
