#include "services/AgentEnvDoc.h"

#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/PrivateFiles.h"
#include "platform/StartupFile.h"

namespace tovr {

QString AgentEnvDoc::readOrEmpty(const QString& path) const {
    try {
        return fs->readText(path);
    } catch (const Error&) {
        return {};
    }
}

bool AgentEnvDoc::hasBrewBinary(const QString& name) const {
    return fs->fileExists("/opt/homebrew/bin/" + name) || fs->fileExists("/usr/local/bin/" + name);
}

bool AgentEnvDoc::zprofileContains(const QString& text) const {
    const auto zprofile = locations.startupFile(fs->homeDirectory(), QStringLiteral(".zprofile"));
    return zprofile && readOrEmpty(*zprofile).contains(text);
}

AgentEnvDoc::DetectedTools AgentEnvDoc::detectTools() const {
    const QString home = fs->homeDirectory();
    DetectedTools t;
    t.homebrewFound =
        fs->fileExists("/opt/homebrew/bin/brew") || fs->fileExists("/usr/local/bin/brew");
    t.pythonFound = hasBrewBinary("uv") || fs->fileExists(home + "/.local/bin/uv");
    t.miseFound = hasBrewBinary("mise") || fs->fileExists(home + "/.local/bin/mise");
    t.rustFound = fs->fileExists(home + "/.cargo/bin/cargo") || zprofileContains(".cargo/bin");
    t.javaFound = zprofileContains("JAVA_HOME");
    t.claudeFound = hasBrewBinary("claude") || fs->fileExists(home + "/.local/bin/claude") ||
                    isFolder(*fs, locations.claudeConfigDir(home)) ||
                    fs->fileExists("/Applications/Claude.app");
    t.codexFound = hasBrewBinary("codex") || isFolder(*fs, locations.codexHome(home)) ||
                   fs->fileExists("/Applications/ChatGPT.app") ||
                   fs->fileExists("/Applications/Codex.app");
    return t;
}

bool AgentEnvDoc::isNeeded() const {
    const DetectedTools tools = detectTools();
    const QString home = fs->homeDirectory();
    const QString marker = QString::fromUtf8(kMarkerPhrase);
    if (tools.claudeFound &&
        !readOrEmpty(locations.claudeConfigDir(home) + "/CLAUDE.md").contains(marker))
        return true;
    if (tools.codexFound && !readOrEmpty(locations.codexHome(home) + "/AGENTS.md").contains(marker))
        return true;
    return false;
}

QString AgentEnvDoc::render(const DetectedTools& tools, const QString& zprofile,
                            const QString& zshrc) {
    QStringList lines{
        QStringLiteral("<!-- ") + QString::fromUtf8(kMarkerPhrase) +
            QStringLiteral(" (managed; you can edit the lines below) -->"),
        QStringLiteral("## Development environment (Tovrin)"),
        QString(),
        QStringLiteral("This Mac's developer toolchain was configured by Tovrin. One owner per "
                       "language (no conflicting version managers on PATH). When working in a "
                       "project, drive per-project versions with the manager that owns the "
                       "language:"),
        QString(),
    };
    if (tools.homebrewFound)
        lines << QStringLiteral("- Homebrew is the base package manager (`brew`).");
    if (tools.pythonFound)
        lines << QStringLiteral("- Python: uv owns Python. `uv python install <version>`, `uv "
                                "venv` / `.venv`, `uv run`; pin per project with `uv python pin "
                                "<version>`. Do not use a Homebrew or system `python` for "
                                "projects.");
    if (tools.miseFound)
        lines << QStringLiteral("- Node / Ruby: mise manages versions. `mise use node@<version>` / "
                                "`mise use ruby@<version>` per project (writes `mise.toml`); `mise "
                                "use -g <tool>@<version>` sets the global default.");
    if (tools.rustFound)
        lines << QStringLiteral("- Rust: rustup owns toolchains. `rustup default <toolchain>`, "
                                "`rustup toolchain install`, `cargo`.");
    if (tools.javaFound)
        lines << QStringLiteral("- Java: Temurin JDK via Homebrew; `JAVA_HOME` is set with "
                                "`/usr/libexec/java_home` (use `-v <N>` to select a version).");
    lines << QString()
          << QStringLiteral("PATH and tool activation live in `%1` (login shells, "
                            "including this agent's own subshells) and `%2` (interactive "
                            "mise activation). API keys go in `~/.env` (sourced by `%2`); "
                            "never hardcode a key.")
                 .arg(zprofile, zshrc)
          << QString();
    return lines.join(u'\n');
}

void AgentEnvDoc::writeSection(const QString& path, const QString& section, const QString& label,
                               WriterReport& report) const {
    auto failed = [&](const Error& e) {
        report.lines << QStringLiteral("Couldn't write ") + label + QStringLiteral(": ") +
                            e.description();
        report.ok = false;
    };

    QString old;
    try {
        old = fs->readText(path);
    } catch (const Error& e) {
        // Missing is empty. A file that is there but unreadable is the user's and stays as
        // it is: writing our note would replace everything in it.
        bool exists = fs->fileExists(path);
        if (!exists) {
            try {
                fs->attributesOfItem(path);
                exists = true;
            } catch (const Error&) {
            }
        }
        if (exists)
            return failed(e);
    }
    if (old.contains(QString::fromUtf8(kMarkerPhrase))) {
        report.lines << label + QStringLiteral(" already documents the setup — nothing to do.");
        return;
    }

    try {
        fs->createDirectory(path.left(path.lastIndexOf(u'/')), true);
    } catch (const Error&) {
        // The write below fails and says why.
    }
    try {
        if (old.isEmpty()) {
            fs->write(section + u'\n', path, true);
        } else {
            const QString separator =
                old.endsWith(u'\n') ? QStringLiteral("\n") : QStringLiteral("\n\n");
            writeWithBackup(*fs, path, (old + separator + section + u'\n').toUtf8(), std::nullopt,
                            path + QStringLiteral(".bak"), fs->readData(path),
                            backupModeOf(*fs, path));
        }
    } catch (const Error& e) {
        return failed(e);
    }
    report.lines << QStringLiteral("Documented your setup for ") + label + u'.';
}

WriterReport AgentEnvDoc::document() const {
    const DetectedTools tools = detectTools();
    if (!tools.claudeFound && !tools.codexFound)
        return {{QStringLiteral("No AI agent (Claude or Codex) detected — skipping the agent "
                                "setup note.")},
                true};
    const QString home = fs->homeDirectory();
    const QString section =
        render(tools, StartupFile::of(*fs, locations, QStringLiteral(".zprofile")).shown,
               StartupFile::of(*fs, locations, QStringLiteral(".zshrc")).shown);
    WriterReport report;
    if (tools.claudeFound)
        documentIn(QStringLiteral("Claude"), locations.claudeConfigDir(home),
                   QStringLiteral("CLAUDE.md"), section, report);
    if (tools.codexFound)
        documentIn(QStringLiteral("Codex"), locations.codexHome(home), QStringLiteral("AGENTS.md"),
                   section, report);
    return report;
}

void AgentEnvDoc::documentIn(const QString& agent, const QString& folder, const QString& file,
                             const QString& section, WriterReport& report) const {
    const QString path = folder + u'/' + file;
    writeSection(path, section, agent + QStringLiteral(" (") + shownFromHome(*fs, path) + u')',
                 report);
}

} // namespace tovr
