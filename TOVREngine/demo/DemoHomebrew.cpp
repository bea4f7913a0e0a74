#include "demo/DemoHomebrew.h"

#include "demo/DemoTools.h"
#include "platform/Error.h"

#include <QMap>

namespace tovr {

namespace {

const QString kProgressBar = QString(72, u'#') + QStringLiteral(" 100.0%");

struct Cask {
    QString version;
    QString app;    // a bundle moved to /Applications
    QString binary; // or a command linked into /opt/homebrew/bin
};

const QMap<QString, Cask>& casks() {
    static const QMap<QString, Cask> table{
        {QStringLiteral("warp"),
         {QStringLiteral("0.2024.11.19.08.02"), QStringLiteral("Warp.app"), {}}},
        {QStringLiteral("claude"), {QStringLiteral("0.7.8"), QStringLiteral("Claude.app"), {}}},
        {QStringLiteral("zed"), {QStringLiteral("0.164.2"), QStringLiteral("Zed.app"), {}}},
        {QStringLiteral("visual-studio-code"),
         {QStringLiteral("1.95.3"), QStringLiteral("Visual Studio Code.app"), {}}},
        {QStringLiteral("chatgpt"),
         {QStringLiteral("1.2024.330"), QStringLiteral("ChatGPT.app"), {}}},
        {QStringLiteral("iterm2"), {QStringLiteral("3.5.10"), QStringLiteral("iTerm.app"), {}}},
        {QStringLiteral("ghostty"), {QStringLiteral("1.0.0"), QStringLiteral("Ghostty.app"), {}}},
        {QStringLiteral("codex"), {QStringLiteral("0.46.0"), {}, QStringLiteral("codex")}},
        {QStringLiteral("claude-code"), {QStringLiteral("2.0.14"), {}, QStringLiteral("claude")}},
        {QStringLiteral("temurin"), {QStringLiteral("25.0.1"), {}, {}}},
    };
    return table;
}

QString formulaVersion(const QString& formula) {
    static const QMap<QString, QString> versions{
        {QStringLiteral("gh"), QStringLiteral("2.62.0")},
        {QStringLiteral("mise"), QStringLiteral("2024.11.8")},
        {QStringLiteral("git"), QStringLiteral("2.47.1")},
        {QStringLiteral("node"), QStringLiteral("23.3.0")},
        {QStringLiteral("uv"), QStringLiteral("0.5.4")},
    };
    return versions.value(formula, QStringLiteral("1.0.0"));
}

// Points `link` at `target`, replacing what was there, as `brew link` does.
void linkInto(SandboxFileSystem& fs, const QString& link, const QString& target) {
    try {
        fs.removeItem(link);
    } catch (const Error&) {
        // Nothing linked yet.
    }
    fs.createSymlink(link, target);
}

} // namespace

DemoReply DemoHomebrew::brew(const QStringList& args) const {
    DemoReply reply;
    const QString verb = args.value(0);
    if (verb == u"--version") {
        reply.print(DemoTools::versionLine(QStringLiteral("brew")));
    } else if (verb == u"--prefix") {
        reply.print(DemoTools::homebrewPrefix);
    } else if (verb == u"shellenv") {
        reply.print(QStringLiteral("export HOMEBREW_PREFIX=\"/opt/homebrew\";"));
        reply.print(
            QStringLiteral("export PATH=\"/opt/homebrew/bin:/opt/homebrew/sbin${PATH+:$PATH}\";"));
    } else if (verb == u"install" || verb == u"reinstall") {
        return install(args);
    } else if (verb.isEmpty()) {
        return DemoReply::failure(
            QStringLiteral(
                "Example usage:\n  brew search TEXT|/REGEX/\n  brew install FORMULA|CASK..."),
            1);
    }
    return reply;
}

DemoReply DemoHomebrew::install(const QStringList& args) const {
    DemoReply reply;
    const bool reinstall = args.value(0) == u"reinstall";
    const bool isCask = args.contains(QStringLiteral("--cask"));
    for (const QString& requested : DemoTools::operands(args.mid(1))) {
        const QString name = requested.section(u'@', 0, 0);
        if (isCask)
            installCask(name, reinstall, reply);
        else
            installFormula(name, reinstall, reply);
    }
    return reply;
}

void DemoHomebrew::installFormula(const QString& name, bool reinstall, DemoReply& reply) const {
    const QString version = formulaVersion(name);
    const QString cellar = DemoTools::homebrewPrefix + "/Cellar/" + name + u'/' + version;
    if (!reinstall && fs->fileExists(cellar)) {
        reply.printError(QStringLiteral("Warning: %1 %2 is already installed and up-to-date.")
                             .arg(name, version));
        return;
    }
    reply.print(QStringLiteral("==> Fetching %1").arg(name), 1);
    reply.print(QStringLiteral("==> Downloading https://ghcr.io/v2/homebrew/core/%1/manifests/%2")
                    .arg(name, version),
                1);
    reply.print(QStringLiteral(
                    "==> Downloading https://ghcr.io/v2/homebrew/core/%1/blobs/sha256:4c7f1e0a5b")
                    .arg(name),
                1);
    reply.print(kProgressBar, 3);
    reply.print(QStringLiteral("==> Pouring %1--%2.arm64_sonoma.bottle.tar.gz").arg(name, version),
                1);
    reply.print(QString::fromUtf8("🍺  %1: 214 files, 41.2MB").arg(cellar), 2);
    reply.effects << [fs = fs, cellar, name] {
        fs->createExecutable(cellar + "/bin/" + name);
        linkInto(*fs, DemoTools::homebrewPrefix + "/bin/" + name, cellar + "/bin/" + name);
    };
}

void DemoHomebrew::installCask(const QString& name, bool reinstall, DemoReply& reply) const {
    if (!casks().contains(name)) {
        reply.printError(
            QStringLiteral("Error: Cask '%1' is unavailable: No Cask with this name exists.")
                .arg(name));
        reply.exitCode = 1;
        return;
    }
    const Cask cask = casks().value(name);
    const QString caskroom = DemoTools::homebrewPrefix + "/Caskroom/" + name + u'/' + cask.version;
    if (!reinstall && fs->fileExists(caskroom)) {
        reply.printError(
            QStringLiteral("Warning: Not upgrading %1, the latest version is already installed")
                .arg(name));
        return;
    }
    reply.print(QStringLiteral("==> Downloading https://formulae.brew.sh/api/cask.jws.json"), 1);
    reply.print(QStringLiteral("==> Downloading %1 %2").arg(name, cask.version), 1);
    reply.print(kProgressBar, 3);
    reply.print(QStringLiteral("==> Installing Cask %1").arg(name), 1);
    std::function<void()> place;
    if (!cask.app.isEmpty()) {
        reply.print(QStringLiteral("==> Moving App '%1' to '/Applications/%1'").arg(cask.app), 1);
        place = [fs = fs, app = cask.app] {
            fs->createFile(QStringLiteral("/Applications/") + app + "/Contents/Info.plist");
        };
    } else if (!cask.binary.isEmpty()) {
        reply.print(
            QStringLiteral("==> Linking Binary '%1' to '/opt/homebrew/bin/%1'").arg(cask.binary),
            1);
        place = [fs = fs, caskroom, binary = cask.binary] {
            fs->createExecutable(caskroom + u'/' + binary);
            linkInto(*fs, DemoTools::homebrewPrefix + "/bin/" + binary, caskroom + u'/' + binary);
        };
    } else {
        reply.print(
            QStringLiteral("==> Running installer for %1 with sudo; the password may be necessary.")
                .arg(name),
            1);
        reply.print(QStringLiteral("installer: Package name is Eclipse Temurin"), 2);
        reply.print(QStringLiteral("installer: The install was successful."), 2);
        place = [fs = fs, version = cask.version] {
            const QString home =
                DemoTools::javaVirtualMachinesFolder +
                QStringLiteral("/temurin-%1.jdk/Contents/Home").arg(version.section(u'.', 0, 0));
            fs->createExecutable(home + "/bin/java");
            fs->createFile(home + "/release",
                           QStringLiteral("JAVA_VERSION=\"%1\"\nIMPLEMENTOR=\"Eclipse Adoptium\"\n")
                               .arg(version)
                               .toUtf8());
        };
    }
    reply.print(QString::fromUtf8("🍺  %1 was successfully installed!").arg(name));
    reply.effects << [fs = fs, caskroom, place] {
        fs->createFolder(caskroom);
        place();
    };
}

} // namespace tovr
