#include "services/ShellConfigurator.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/PrivateFiles.h"
#include "platform/StartupFile.h"

namespace tovr {

namespace {

// The file's text holds `needle` on an active line; a missing or unreadable file does not.
bool hasActiveLine(FileSystemOperating& fs, const QString& path, const QString& needle) {
    if (!fs.fileExists(path))
        return false;
    try {
        return FileAppendWriter::containsActiveLine(fs.readText(path), {needle});
    } catch (const Error&) {
        return false;
    }
}

} // namespace

// One line added after a tool's install; present when its text is on an active line, so
// a commented-out copy never passes for the setting.
struct ShellConfigurator::ToolLine {
    QString fileName; // a start-up file
    QString line;
    QString label;
    QString needle;
    QString shortName; // names the line in every sentence; %1 is the file
};

StartupFile ShellConfigurator::startupFile(const QString& name) const {
    return StartupFile::of(*fs, locations, name);
}

QString ShellConfigurator::shown(const QString& name) const {
    return startupFile(name).shown;
}

bool ShellConfigurator::isConfigured() const {
    const QString home = fs->homeDirectory();
    const auto zprofile = startupFile(QStringLiteral(".zprofile")).path;
    const auto zshrc = startupFile(QStringLiteral(".zshrc")).path;
    return zprofile && hasActiveLine(*fs, *zprofile, QString::fromLatin1(kZprofileNeedle)) &&
           zshrc && hasActiveLine(*fs, *zshrc, QString::fromLatin1(kZshrcNeedle)) &&
           fs->fileExists(home + "/.env");
}

const QString& ShellConfigurator::envTemplate() {
    static const QString text = QStringLiteral(
        "# ~/.env \u2014 API keys for MCP servers and CLIs (sourced by ~/.zshrc). Fill in real "
        "values.\n"
        "# Uncomment a line and paste your own value.\n"
        "# export ANTHROPIC_API_KEY=...\n"
        "# export OPENAI_API_KEY=...\n"
        "# Example vendor-specific MCP key (rename per server):\n"
        "# export BRAVE_API_KEY=...\n");
    return text;
}

WriterReport ShellConfigurator::configure() const {
    WriterReport outcome;
    configureBlock(QStringLiteral(".zprofile"),
                   QStringLiteral("# %1 \u2014 PATH + environment, loaded once per login shell")
                       .arg(shown(QStringLiteral(".zprofile"))),
                   QStringLiteral("shell environment"), {QString::fromLatin1(kZprofileNeedle)},
                   QString::fromLatin1(kZprofileNeedle), outcome);
    configureBlock(
        QStringLiteral(".zshrc"),
        QStringLiteral("# %1 \u2014 aliases, completions, prompt (interactive shells)")
            .arg(shown(QStringLiteral(".zshrc"))),
        QStringLiteral("interactive shell"),
        {
            QStringLiteral("if type brew >/dev/null 2>&1; then"),
            QStringLiteral("  FPATH=\"$(brew --prefix)/share/zsh/site-functions:$FPATH\""),
            QStringLiteral("fi"),
            QStringLiteral("autoload -Uz compinit && compinit"),
            QStringLiteral("[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a"),
        },
        QString::fromLatin1(kZshrcNeedle), outcome);
    createEnvFile(outcome);
    // A login shell that is not zsh reads none of this: say what the user must do instead.
    if (const QString note = otherLoginShellNote(locations); outcome.ok && !note.isEmpty())
        outcome.lines << note;
    else if (outcome.ok)
        outcome.lines << QStringLiteral(
            "Shell configuration complete. Open a new terminal for the changes to take effect.");
    return outcome;
}

void ShellConfigurator::configureBlock(const QString& fileName, const QString& header,
                                       const QString& label, const QStringList& lines,
                                       const QString& needle, WriterReport& outcome) const {
    const StartupFile file = startupFile(fileName);
    if (!file.path) {
        outcome.lines << file.untold;
        outcome.ok = false;
        return;
    }
    const QString& path = *file.path;
    const QString& shown = file.shown;
    ensureHeader(path, header);
    try {
        // The active-line test, as in isConfigured(): a commented-out line is not the
        // setting, and counting it would leave the check failing after a "success".
        const auto preview =
            FileAppendWriter(path, fs, ProductConfig::current().shellMarker(), clock)
                .append(lines.join(u'\n'), label, needle, /*activeLineOnly=*/true);
        if (preview.alreadySet)
            outcome.lines << shown + QStringLiteral(" is already configured \u2014 nothing to do.");
        else
            outcome.lines << QStringLiteral("Configured ") + shown +
                                 QStringLiteral(" (backup at ") + preview.backupPath +
                                 QStringLiteral(").");
    } catch (const Error& error) {
        outcome.lines << QStringLiteral("Couldn't update ") + shown + QStringLiteral(": ") +
                             error.description();
        outcome.ok = false;
    }
}

void ShellConfigurator::ensureHeader(const QString& path, const QString& header) const {
    QString text;
    try {
        if (fs->fileExists(path))
            text = fs->readText(path);
    } catch (const Error&) {
        return; // not text we can read: leave it for the block step to report
    }
    if (!text.trimmed().isEmpty())
        return;
    try {
        fs->write(header + u'\n', path, true);
    } catch (const Error&) {
        // The block step writes the file anyway and reports its own failure.
    }
}

void ShellConfigurator::createEnvFile(WriterReport& outcome) const {
    const QString path = fs->homeDirectory() + QStringLiteral("/.env");
    if (fs->fileExists(path)) {
        outcome.lines << QStringLiteral(
            "~/.env already exists \u2014 leaving it untouched (add keys there yourself).");
        return;
    }
    try {
        // Born private, before the user puts a key in it; a failed write leaves no file, so
        // a retry creates it properly.
        writePrivateText(*fs, envTemplate(), path);
        outcome.lines << QStringLiteral("Created ~/.env (permissions 600) with commented "
                                        "placeholders \u2014 add your API keys there.");
    } catch (const Error& error) {
        outcome.lines << QStringLiteral("Couldn't create ~/.env: ") + error.description();
        outcome.ok = false;
    }
}

QString ShellConfigurator::toolLine(const ToolLine& row) const {
    const StartupFile file = startupFile(row.fileName);
    if (!file.path)
        return file.untold;
    const QString shortName = row.shortName.arg(file.shown);
    try {
        const auto preview =
            FileAppendWriter(*file.path, fs, ProductConfig::current().shellMarker(), clock)
                .append(row.line, row.label, row.needle, /*activeLineOnly=*/true);
        return preview.alreadySet
                   ? shortName + QStringLiteral(" is already set \u2014 nothing to do.")
                   : QStringLiteral("Configured ") + shortName + u'.';
    } catch (const Error& error) {
        return QStringLiteral("Couldn't configure ") + shortName + QStringLiteral(": ") +
               error.description();
    }
}

QStringList ShellConfigurator::configureUvPath() const {
    return {toolLine({QStringLiteral(".zprofile"),
                      QStringLiteral("export PATH=\"$HOME/.local/bin:$PATH\""),
                      QStringLiteral("uv PATH"), QStringLiteral("HOME/.local/bin"),
                      QStringLiteral("uv on PATH (%1)")})};
}

QStringList ShellConfigurator::configureMise() const {
    // The interactive needle ends in ")" so that the shim line does not count for it, and
    // the shim needle holds "--shims" so that the interactive line does not count for it.
    return {
        toolLine({QStringLiteral(".zprofile"),
                  QStringLiteral("command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh "
                                 "--shims)\""),
                  QStringLiteral("mise (login shims)"), QStringLiteral("mise activate zsh --shims"),
                  QStringLiteral("mise shims (%1)")}),
        toolLine(
            {QStringLiteral(".zshrc"),
             QStringLiteral("command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\""),
             QStringLiteral("mise (interactive)"), QStringLiteral("mise activate zsh)"),
             QStringLiteral("mise activate (%1)")}),
    };
}

QStringList ShellConfigurator::configureCargoPath() const {
    return {toolLine({QStringLiteral(".zprofile"),
                      QStringLiteral("export PATH=\"$HOME/.cargo/bin:$PATH\""),
                      QStringLiteral("rustup PATH"), QStringLiteral("HOME/.cargo/bin"),
                      QStringLiteral("Rust (cargo) on PATH (%1)")})};
}

} // namespace tovr
