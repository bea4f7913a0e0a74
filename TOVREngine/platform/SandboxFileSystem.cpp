#include "platform/SandboxFileSystem.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovr {

SandboxFileSystem::SandboxFileSystem(QString home, const QString& folderTemplate)
    : dir_(folderTemplate.isEmpty() ? QDir::tempPath() + QStringLiteral("/tovr-sandbox-XXXXXX")
                                    : folderTemplate),
      home_(std::move(home)) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create the sandbox folder");
    createFolder(home_);
    createFolder(QStringLiteral("/tmp"));
}

QString SandboxFileSystem::hostPath(const QString& macPath) const {
    if (!macPath.startsWith(u'/'))
        throw SystemError(EINVAL, QStringLiteral("Not an absolute path: ") + macPath);
    const QString clean = QDir::cleanPath(macPath);
    if (clean == QLatin1String("/..") || clean.startsWith(QLatin1String("/../")))
        throw SystemError(EINVAL, QStringLiteral("Path leaves the sandbox: ") + macPath);
    for (const QString& shared : sharedHostFolders_)
        if (clean == shared || clean.startsWith(shared + u'/'))
            return clean;
    return clean == QLatin1String("/") ? dir_.path() : dir_.path() + clean;
}

QString SandboxFileSystem::writableHostPath(const QString& macPath) const {
    const QString host = hostPath(macPath);
    if (!host.startsWith(dir_.path() + u'/') && host != dir_.path())
        throw SystemError::fromErrno(EACCES, macPath);
    return host;
}

template <class F> auto SandboxFileSystem::mapped(F&& op) const -> decltype(op()) {
    try {
        return op();
    } catch (const SystemError& e) {
        QString text = e.description();
        text.replace(dir_.path(), QString());
        throw SystemError(e.code(), text);
    }
}

void SandboxFileSystem::observeCreations(LiveFileSystem::CreationObserver observer) {
    if (!observer) {
        live_.observeCreations({});
        return;
    }
    live_.observeCreations([this, observer = std::move(observer)](const QString& host) {
        observer(host.startsWith(dir_.path() + u'/') ? host.mid(dir_.path().size()) : host);
    });
}

QString SandboxFileSystem::createFolder(const QString& macPath) {
    live_.createDirectory(writableHostPath(macPath), true);
    return macPath;
}

QString SandboxFileSystem::createFile(const QString& macPath, const QByteArray& contents,
                                      int mode) {
    const QString host = writableHostPath(macPath);
    live_.createDirectory(host.left(host.lastIndexOf(u'/')), true);
    // Building the Mac's files needs no durable write (no sync): it is throwaway. A file
    // there already is replaced, so the new one is born at `mode`; a link is written through.
    const QByteArray name = QFile::encodeName(host);
    struct stat st {};
    const bool link = ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode);
    if (!link && S_ISREG(st.st_mode))
        ::unlink(name.constData());
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | (link ? O_TRUNC : O_EXCL),
               static_cast<mode_t>(mode) & 07777);
    if (fd < 0)
        throw SystemError::fromErrno(errno, QStringLiteral("Cannot create ") + macPath);
    qsizetype done = 0;
    while (done < contents.size()) {
        const ssize_t n =
            ::write(fd, contents.constData() + done, static_cast<size_t>(contents.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    if (::close(fd) != 0 || done != contents.size())
        throw SystemError(EIO, QStringLiteral("Cannot create ") + macPath);
    // The umask may have narrowed it.
    live_.setAttributes(FileAttributes{{}, mode, {}, {}}, host);
    return macPath;
}

QString SandboxFileSystem::createExecutable(const QString& macPath, const QString& body) {
    return createFile(macPath, ("#!/bin/sh\n" + body + "\n").toUtf8(), 0755);
}

QString SandboxFileSystem::createSymlink(const QString& macPath, const QString& target) {
    const QString host = writableHostPath(macPath);
    live_.createDirectory(host.left(host.lastIndexOf(u'/')), true);
    const QString stored = target.startsWith(u'/') ? hostPath(target) : target;
    if (!QFile::link(stored, host))
        throw SystemError(EEXIST, QStringLiteral("Cannot create the link ") + macPath);
    return macPath;
}

QByteArray SandboxFileSystem::contents(const QString& macPath) const {
    try {
        return live_.readData(hostPath(macPath));
    } catch (const SystemError&) {
        return {};
    }
}

bool SandboxFileSystem::fileExists(const QString& path) const {
    return path.startsWith(u'/') && live_.fileExists(hostPath(path));
}

bool SandboxFileSystem::fileExists(const QString& path, bool* isDirectory) const {
    if (!path.startsWith(u'/')) {
        if (isDirectory)
            *isDirectory = false;
        return false;
    }
    return live_.fileExists(hostPath(path), isDirectory);
}

bool SandboxFileSystem::isExecutableFile(const QString& path) const {
    return path.startsWith(u'/') && live_.isExecutableFile(hostPath(path));
}

std::optional<FileIdentity> SandboxFileSystem::fileIdentity(const QString& path) const {
    try {
        return live_.fileIdentity(hostPath(path));
    } catch (const Error&) {
        return std::nullopt; // relative, or outside the Mac
    }
}

QStringList SandboxFileSystem::contentsOfDirectory(const QString& path) const {
    return mapped([&] { return live_.contentsOfDirectory(hostPath(path)); });
}

void SandboxFileSystem::createDirectory(const QString& path, bool withIntermediateDirectories) {
    mapped([&] { live_.createDirectory(writableHostPath(path), withIntermediateDirectories); });
}

void SandboxFileSystem::createDirectoryWithMode(const QString& path, int mode) {
    mapped([&] { live_.createDirectoryWithMode(writableHostPath(path), mode); });
}

void SandboxFileSystem::removeItem(const QString& path) {
    mapped([&] { live_.removeItem(writableHostPath(path)); });
}

void SandboxFileSystem::moveItem(const QString& from, const QString& to) {
    mapped([&] { live_.moveItem(writableHostPath(from), writableHostPath(to)); });
}

FileAttributes SandboxFileSystem::attributesOfItem(const QString& path) const {
    return mapped([&] { return live_.attributesOfItem(hostPath(path)); });
}

void SandboxFileSystem::setAttributes(const FileAttributes& attributes, const QString& path) {
    mapped([&] { live_.setAttributes(attributes, writableHostPath(path)); });
}

void SandboxFileSystem::write(const QString& text, const QString& path, bool atomically) {
    mapped([&] { live_.write(text, writableHostPath(path), atomically); });
}

QByteArray SandboxFileSystem::readData(const QString& path) const {
    return mapped([&] { return live_.readData(hostPath(path)); });
}

void SandboxFileSystem::writeData(const QByteArray& data, const QString& path) {
    mapped([&] { live_.writeData(data, writableHostPath(path)); });
}

void SandboxFileSystem::writeDataWithMode(const QByteArray& data, const QString& path, int mode) {
    mapped([&] { live_.writeDataWithMode(data, writableHostPath(path), mode); });
}

QString SandboxFileSystem::stageData(const QByteArray& data, const QString& path,
                                     std::optional<int> mode) {
    return mapped([&] {
        const QString staged = live_.stageData(data, writableHostPath(path), mode);
        return staged.mid(dir_.path().size());
    });
}

void SandboxFileSystem::commitStaged(const QString& staged, const QString& path) {
    mapped([&] { live_.commitStaged(writableHostPath(staged), writableHostPath(path)); });
}

QString SandboxFileSystem::readText(const QString& path) const {
    return mapped([&] { return live_.readText(hostPath(path)); });
}

QString SandboxFileSystem::cachesDirectory() {
    return createFolder(home_ + QStringLiteral("/Library/Caches"));
}

QString SandboxFileSystem::applicationSupportDirectory(bool create) {
    const QString path = home_ + QStringLiteral("/Library/Application Support");
    return create ? createFolder(path) : path;
}

QString SandboxFileSystem::temporaryDirectory() const {
    return QStringLiteral("/tmp");
}

} // namespace tovr
