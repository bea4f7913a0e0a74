#include "products/brew/BrewProber.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "platform/LineSplitter.h"
#include "platform/TextTrimming.h"
#include "services/ShellConfigurator.h"

namespace tovr {

namespace {

ProcessResult loginShell(const ShellRunner& shell, const QString& command) {
    return shell.process->run(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command});
}

} // namespace

QStringList BrewProber::brewPathEntries(const ShellRunner& shell) {
    try {
        const auto result = loginShell(shell, QStringLiteral("/usr/bin/which -a brew"));
        if (result.exitCode != 0)
            return {};
        QStringList entries;
        for (const QString& line : splitTextLines(result.stdout_)) {
            const QString entry = trimHorizontalWhitespace(line);
            if (!entry.isEmpty())
                entries << entry;
        }
        return entries;
    } catch (const Error&) {
        return {};
    }
}

std::pair<std::optional<QString>, qint32> BrewProber::brewVersion(const ShellRunner& shell) {
    try {
        const auto result = loginShell(shell, QStringLiteral("brew --version 2>&1"));
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
    bundle.shellConfigured = ShellConfigurator{fs}.isConfigured();
    return bundle;
}

} // namespace tovr
