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
