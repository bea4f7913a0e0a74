#include "platform/FileChecks.h"

#include "platform/Error.h"

namespace tovr {

bool isFolder(const FileSystemOperating& fs, const QString& path) {
    bool dir = false;
    return fs.fileExists(path, &dir) && dir;
}

QString shownFromHome(const FileSystemOperating& fs, const QString& path) {
    const QString home = fs.homeDirectory();
    if (path == home || path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

QString namingStartupFiles(const FileSystemOperating& fs, const ToolLocations& locations,
                           const QString& text) {
    const QString home = fs.homeDirectory();
    QString named = text;
    for (const QLatin1StringView file :
         {QLatin1StringView(".zprofile"), QLatin1StringView(".zshrc")})
        if (const auto path = locations.startupFile(home, file);
            path && *path != home + u'/' + file)
            named.replace(QStringLiteral("~/") + file, shownFromHome(fs, *path));
    return named;
}

QString namingStartupFiles(const FileSystemOperating& fs,
                           const std::optional<ToolLocations>& locations, const QString& text) {
    return locations ? namingStartupFiles(fs, *locations, text) : text;
}

QString unansweredShellNote(const std::optional<ToolLocations>& locations, const QString& text) {
    if (!locations || !locations->unanswered ||
        !(text.contains(QStringLiteral("/.zprofile")) || text.contains(QStringLiteral("/.zshrc"))))
        return {};
    return QStringLiteral("Your login shell didn't answer in time, so this names the usual file; "
                          "your shell may read another.");
}

bool isFile(const FileSystemOperating& fs, const QString& path) {
    bool dir = false;
    return fs.fileExists(path, &dir) && !dir;
}

bool entryExists(const FileSystemOperating& fs, const QString& path) {
    if (fs.fileExists(path))
        return true;
    try {
        fs.attributesOfItem(path);
        return true;
    } catch (const Error&) {
        return false;
    }
}

void removeQuietly(FileSystemOperating& fs, const QString& path) {
    try {
        fs.removeItem(path);
    } catch (const Error&) {
        // Nothing there, or nothing we can do about it.
    }
}

std::optional<QString> homebrewExecutable(const FileSystemOperating& fs) {
    for (const char* candidate : {"/opt/homebrew/bin/brew", "/usr/local/bin/brew"})
        if (fs.isExecutableFile(QLatin1String(candidate)))
            return QString::fromLatin1(candidate);
    return std::nullopt;
}

} // namespace tovr
