#include "platform/Probes.h"

#include "platform/Concurrently.h"
#include "platform/Error.h"
#include "platform/JdkReleaseFileReader.h"
#include "platform/LineSplitter.h"
#include "platform/PropertyList.h"
#include "platform/TextTrimming.h"

#include <QRegularExpression>
#include <QSet>

namespace tovr {

namespace {

const QString kFolderPrefix = QStringLiteral("/Library/Java/JavaVirtualMachines/");

} // namespace

QList<JDKInfo> Probes::parseJavaHomeListing(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"re(^\s+(\S+)\s+\(([^)]+)\)\s+"([^"]*)"\s+-\s+"[^"]*"\s+(/.+)$)re"));
    QList<JDKInfo> entries;
    for (const QString& line : splitTextLines(text)) {
        const auto match = pattern.match(line);
        if (!match.hasMatch())
            continue;
        entries << JDKInfo{match.captured(1), match.captured(3), match.captured(2),
                           trimHorizontalWhitespace(match.captured(4))};
    }
    return entries;
}

std::optional<JDKInfo> Probes::readFolderEntry(const QString& name) const {
    const QString home = kFolderPrefix + name + QStringLiteral("/Contents/Home");
    try {
        const auto release = JdkReleaseFileReader{fs}.read(fs->readText(home + "/release"));
        if (auto version = release.constFind(QStringLiteral("JAVA_VERSION"));
            version != release.cend()) {
            JDKInfo info{*version, release.value(QStringLiteral("IMPLEMENTOR")), {}, home};
            if (majorVersion(info))
                return info;
        }
    } catch (const Error&) {
        // No readable release file: the property list may still tell.
    }
    try {
        const auto plist =
            PropertyList::decode(fs->readData(kFolderPrefix + name + "/Contents/Info.plist"));
        if (!plist)
            return std::nullopt;
        const auto javaVM = plist->value(QStringLiteral("JavaVM"));
        if (!javaVM || javaVM->kind() != PropertyList::Kind::dictionary)
            return std::nullopt;
        const auto version = javaVM->value(QStringLiteral("JVMVersion"));
        if (!version || !version->text())
            return std::nullopt;
        JDKInfo info{*version->text(), {}, {}, home};
        if (majorVersion(info))
            return info;
    } catch (const Error&) {
    }
    return std::nullopt;
}

QList<JDKInfo> Probes::scanInstalledJDKs(const QStringList& folderEntries,
                                         const QList<JDKInfo>& locatorEntries) const {
    QSet<QString> listed;
    for (const auto& info : locatorEntries) {
        if (!info.path.startsWith(kFolderPrefix))
            continue;
        const QStringList pieces =
            info.path.mid(kFolderPrefix.size()).split(u'/', Qt::SkipEmptyParts);
        if (!pieces.isEmpty())
            listed.insert(pieces.first());
    }
    QList<JDKInfo> found;
    for (const auto& name : folderEntries) {
        if (listed.contains(name))
            continue;
        if (auto info = readFolderEntry(name))
            found << *info;
    }
    return found;
}

std::optional<QString> Probes::whichJava(CancellableProcess* latch) const {
    return successfulOutput(*shell.process, QStringLiteral("/usr/bin/which"), {"java"}, latch);
}

QList<JDKInfo> Probes::locatorListing(CancellableProcess* latch) const {
    try {
        return parseJavaHomeListing(
            runUnderLatch(*shell.process, QStringLiteral("/usr/libexec/java_home"), {"-V"}, latch)
                .stderr_);
    } catch (const Error& e) {
        return parseJavaHomeListing(e.description());
    }
}

QStringList Probes::folderListing() const {
    try {
        return fs->contentsOfDirectory(QString::fromLatin1(kSystemJVMFolder));
    } catch (const Error&) {
        return {};
    }
}

std::optional<QString> Probes::loginShellJavaHome(CancellableProcess* latch) const {
    const QString marker = QString::fromLatin1(kJavaHomeMarker);
    QString output;
    try {
        output =
            shell.runInLoginShell(QStringLiteral("echo ") + marker + "$JAVA_HOME", latch).stdout_;
    } catch (const Error&) {
        return std::nullopt;
    }
    return markedReply(output, marker);
}

ProbeBundle Probes::collect(const LatchSource& latches) const {
    auto latch = [&] { return latches ? latches() : nullptr; };
    const auto whichLatch = latch();
    const auto locatorLatch = latch();
    const auto shellLatch = latch();
    auto [which, locator, folder, javaHome] = concurrently(
        [&] { return whichJava(whichLatch.get()); },
        [&] { return locatorListing(locatorLatch.get()); }, [this] { return folderListing(); },
        [&] { return loginShellJavaHome(shellLatch.get()); });
    ProbeBundle bundle;
    bundle.whichJava = which;
    bundle.installedJDKs = locator + scanInstalledJDKs(folder, locator);
    bundle.jvmDirContents = folder;
    bundle.javaHomeInActiveShell = javaHome;
    return bundle;
}

} // namespace tovr
