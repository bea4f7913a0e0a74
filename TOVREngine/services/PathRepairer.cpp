#include "services/PathRepairer.h"

#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/FileChecks.h"
#include "platform/StartupFile.h"

namespace tovr {

namespace {

bool isEntryBoundary(QStringView line, qsizetype at) {
    if (at < 0 || at >= line.size())
        return true;
    const QChar c = line[at];
    return c == u':' || c == u'=' || c == u'"' || c == u'\'';
}

// `entry` stands on the line as a whole entry of a PATH list, not as part of a longer one
// ("/opt/x/bin" in "/opt/x/bin2").
bool holdsPathEntry(QStringView line, const QString& entry) {
    for (qsizetype at = line.indexOf(entry); at >= 0; at = line.indexOf(entry, at + 1))
        if (isEntryBoundary(line, at - 1) && isEntryBoundary(line, at + entry.size()))
            return true;
    return false;
}

// Why `directory` cannot stand on PATH as the one folder it names; empty when it can. An
// empty or relative entry puts the current folder on PATH, a ":" splits it in two, and a
// NUL or a line break would break the line in ~/.zprofile.
QString refusalOf(const QString& directory) {
    if (directory.isEmpty())
        return QStringLiteral("the folder name is empty.");
    if (directory.contains(QChar(u'\0')) || directory.contains(u'\n') || directory.contains(u'\r'))
        return QStringLiteral("the folder name holds a line break or a NUL character.");
    if (!directory.startsWith(u'/'))
        return u'`' + directory +
               QStringLiteral("` is not a full path (one beginning with \"/\").");
    if (directory.contains(u':'))
        return u'`' + directory +
               QStringLiteral("` holds a \":\", which PATH would read as two folders.");
    return {};
}

} // namespace

QString PathRepairer::escapeForDoubleQuotes(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\' || c == u'"' || c == u'`' || c == u'$')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

StartupFile PathRepairer::zprofile() const {
    return StartupFile::of(*fs, locations, QStringLiteral(".zprofile"));
}

WriterReport PathRepairer::noted(WriterReport report) const {
    if (const QString note = otherLoginShellNote(locations); report.ok && !note.isEmpty())
        report.lines << note;
    return report;
}

WriterReport PathRepairer::repairPath(const QString& directory) const {
    const StartupFile file = zprofile();
    const QString& shown = file.shown;
    const QString couldNotUpdate =
        QStringLiteral("Couldn't update ") + shown + QStringLiteral(": ");
    if (const QString refusal = refusalOf(directory); !refusal.isEmpty())
        return {{couldNotUpdate + refusal}, false};
    if (!file.path)
        return {{file.untold}, false};
    const QString escaped = escapeForDoubleQuotes(directory);
    const QString line = QStringLiteral("export PATH=\"") + escaped + QStringLiteral(":$PATH\"");
    try {
        const FileAppendWriter writer(*file.path, fs, ProductConfig::current().shellMarker(),
                                      clock);
        const auto preview =
            writer.preview({line}, QStringLiteral("Claude Code PATH"), [&](const QString& text) {
                return FileAppendWriter::anyActiveLine(
                    text, [&](QStringView active) { return holdsPathEntry(active, escaped); });
            });
        writer.apply(preview);
        if (preview.alreadySet)
            return noted({{u'`' + directory + QStringLiteral("` is already on your PATH in ") +
                           shown + QStringLiteral(" \u2014 nothing to do.")},
                          true});
        return noted(
            {{QStringLiteral("Added `") + directory + QStringLiteral("` to your PATH in ") + shown +
              QStringLiteral(" (backup at ") + preview.backupPath + QStringLiteral(").")},
             true});
    } catch (const Error& error) {
        return {{couldNotUpdate + error.description()}, false};
    }
}

WriterReport PathRepairer::repairHomebrewPath() const {
    QString brew;
    for (const QString& candidate :
         {QStringLiteral("/opt/homebrew/bin/brew"), QStringLiteral("/usr/local/bin/brew")}) {
        if (fs->fileExists(candidate)) {
            brew = candidate;
            break;
        }
    }
    if (brew.isEmpty())
        return {{QStringLiteral("Homebrew isn't installed yet \u2014 nothing to repair.")}, false};

    const StartupFile file = zprofile();
    if (!file.path)
        return {{file.untold}, false};
    const QString& shown = file.shown;
    const QString couldNotUpdate =
        QStringLiteral("Couldn't update ") + shown + QStringLiteral(": ");
    // One of two fixed paths: nothing in it needs escaping.
    const QString line = QStringLiteral("eval \"$(") + brew + QStringLiteral(" shellenv)\"");
    try {
        const auto preview =
            FileAppendWriter(*file.path, fs, ProductConfig::current().shellMarker(), clock)
                .append(line, QStringLiteral("Homebrew shellenv"), QStringLiteral("brew shellenv"),
                        /*activeLineOnly=*/true);
        if (preview.alreadySet)
            return noted({{QStringLiteral("Homebrew's shellenv is already active in ") + shown +
                           QStringLiteral(" \u2014 re-checking in a fresh shell.")},
                          true});
        return noted({{QStringLiteral("Added Homebrew to your PATH in ") + shown +
                       QStringLiteral(" (backup at ") + preview.backupPath + QStringLiteral(").")},
                      true});
    } catch (const Error& error) {
        return {{couldNotUpdate + error.description()}, false};
    }
}

} // namespace tovr
