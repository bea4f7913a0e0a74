#include "demo/DemoInstallers.h"

#include "demo/DemoTools.h"

#include <QFileInfo>

namespace tovr {

// `curl -sSf <installer> | sh -s -- …`: the two installers the app fetches this way.
DemoReply DemoInstallers::curlPipedToShell(const QStringList& curl) const {
    QString url;
    for (const auto& a : curl)
        if (a.startsWith(QLatin1String("http")))
            url = a;
    DemoReply reply;
    if (url.contains(QLatin1String("astral.sh"))) {
        const QString bin = fs->homeDirectory() + QStringLiteral("/.local/bin");
        reply.print(QStringLiteral("downloading uv 0.5.4 aarch64-apple-darwin"), 3);
        reply.print(QStringLiteral("no checksums to verify"), 1);
        reply.print(QStringLiteral("installing to ") + bin, 2);
        reply.print(QStringLiteral("  uv"));
        reply.print(QStringLiteral("  uvx"));
        reply.print(QStringLiteral("everything's installed!"), 1);
        reply.effects << [fs = fs, bin] {
            fs->createExecutable(bin + "/uv");
            fs->createExecutable(bin + "/uvx");
        };
    } else if (url.contains(QLatin1String("rustup"))) {
        reply.print(QStringLiteral("info: downloading installer"), 2);
        reply.print(QStringLiteral("info: profile set to 'default'"));
        reply.print(QStringLiteral("info: default host triple is aarch64-apple-darwin"));
        reply.print(
            QStringLiteral("info: syncing channel updates for 'stable-aarch64-apple-darwin'"), 2);
        reply.print(
            QStringLiteral(
                "info: latest update on 2024-11-28, rust version 1.83.0 (90b35a623 2024-11-26)"),
            1);
        for (const char* component :
             {"cargo", "clippy", "rust-docs", "rust-std", "rustc", "rustfmt"})
            reply.print(
                QStringLiteral("info: downloading component '%1'").arg(QLatin1String(component)),
                1);
        reply.print(QStringLiteral("info: installing components"), 3);
        reply.print(
            QStringLiteral(
                "  stable-aarch64-apple-darwin installed - rustc 1.83.0 (90b35a623 2024-11-26)"),
            2);
        reply.print(QStringLiteral("Rust is installed now. Great!"));
        reply.effects << [fs = fs, cargo = fs->homeDirectory() + QStringLiteral("/.cargo")] {
            for (const char* command : {"rustup", "cargo", "rustc", "rustfmt"})
                fs->createExecutable(cargo + "/bin/" + QLatin1String(command));
            fs->createFile(cargo + "/env", "export PATH=\"$HOME/.cargo/bin:$PATH\"\n");
        };
    } else {
        return DemoReply::failure(
            QStringLiteral("curl: (22) The requested URL returned error: 404"), 22);
    }
    return reply;
}

DemoReply DemoInstallers::installCommandLineTools() const {
    DemoReply reply;
    reply.print(QStringLiteral("Software Update Tool"));
    reply.print(QString());
    reply.print(QStringLiteral("Finding available software"), 3);
    reply.print(QStringLiteral("Downloading Command Line Tools for Xcode"), 2);
    reply.print(QStringLiteral("Downloaded Command Line Tools for Xcode"), 6);
    reply.print(QStringLiteral("Installing Command Line Tools for Xcode"), 1);
    reply.print(QStringLiteral("Done with Command Line Tools for Xcode"), 5);
    reply.print(QStringLiteral("Done."));
    reply.effects << [fs = fs] {
        for (const char* tool : {"git", "clang", "make", "python3"})
            fs->createExecutable(DemoTools::commandLineToolsFolder + "/usr/bin/" +
                                 QLatin1String(tool));
        fs->createFolder(DemoTools::commandLineToolsFolder + "/SDKs/MacOSX.sdk");
    };
    return reply;
}

DemoReply DemoInstallers::installHomebrew() const {
    DemoReply reply;
    const QString user = QFileInfo(fs->homeDirectory()).fileName();
    reply.print(
        QStringLiteral("==> Checking for `sudo` access (which may request your password)..."), 1);
    reply.print(QStringLiteral("==> This script will install:"), 1);
    for (const char* path :
         {"/opt/homebrew/bin/brew", "/opt/homebrew/share/doc/homebrew",
          "/opt/homebrew/share/man/man1/brew.1", "/opt/homebrew/share/zsh/site-functions/_brew",
          "/opt/homebrew/etc/bash_completion.d/brew", "/opt/homebrew"})
        reply.print(QLatin1String(path));
    reply.print(
        QStringLiteral("==> /usr/bin/sudo /usr/sbin/chown -R %1:admin /opt/homebrew").arg(user), 1);
    if (!DemoTools{fs}.hasCommandLineTools()) {
        reply.print(QStringLiteral("==> Searching online for the Command Line Tools"), 2);
        reply.print(QStringLiteral("==> Installing Command Line Tools for Xcode-16.0"), 2);
        reply.print(QStringLiteral("Software Update Tool"), 1);
        reply.print(QStringLiteral("Downloading Command Line Tools for Xcode"), 4);
        reply.print(QStringLiteral("Done with Command Line Tools for Xcode"), 4);
        reply.effects += installCommandLineTools().effects;
    }
    reply.print(QStringLiteral("==> Downloading and installing Homebrew..."), 2);
    reply.print(QStringLiteral("remote: Enumerating objects: 290418, done."), 3);
    reply.print(
        QStringLiteral("HEAD is now at 1c2f8a4 Merge pull request #18853 from Homebrew/bump-ruby"),
        3);
    reply.print(QStringLiteral("==> Updating Homebrew..."), 2);
    reply.print(QStringLiteral("==> Installation successful!"), 1);
    reply.print(QString());
    reply.print(QStringLiteral("==> Next steps:"));
    reply.print(QStringLiteral("- Run brew help to get started"));
    reply.effects << [fs = fs] {
        for (const char* folder : {"Cellar", "Caskroom", "etc", "share/zsh/site-functions", "sbin"})
            fs->createFolder(DemoTools::homebrewPrefix + u'/' + QLatin1String(folder));
        fs->createExecutable(DemoTools::homebrewPrefix + "/bin/brew");
    };
    return reply;
}

} // namespace tovr
