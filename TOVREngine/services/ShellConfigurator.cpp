#include "services/ShellConfigurator.h"

#include "platform/Error.h"
#include "platform/FileAppendWriter.h"

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

bool ShellConfigurator::isConfigured() const {
    const QString home = fs->homeDirectory();
    return hasActiveLine(*fs, home + "/.zprofile", QString::fromLatin1(kZprofileNeedle)) &&
           hasActiveLine(*fs, home + "/.zshrc", QString::fromLatin1(kZshrcNeedle)) &&
           fs->fileExists(home + "/.env");
}

} // namespace tovr
