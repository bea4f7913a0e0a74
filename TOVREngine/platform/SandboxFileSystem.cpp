#include "platform/SandboxFileSystem.h"

#include <QFile>

#include "platform/Error.h"

#include <QDir>

#include <cerrno>
#include <stdexcept>

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

QString SandboxFileSystem::createFolder(const QString& macPath) {
    live_.createDirectory(writableHostPath(macPath), true);
    return macPath;
}

QString SandboxFileSystem::createFile(const QString& macPath, const QByteArray& contents,
                                      int mode) {
    const QString host = writableHostPath(macPath);
    live_.createDirectory(host.left(host.lastIndexOf(u'/')), true);
    // Building the Mac's files needs no durable write (no sync): it is throwaway.
    QFile file(host);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(contents) != contents.size())
        throw SystemError(EIO, QStringLiteral("Cannot create ") + macPath);
    file.close();
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

QStringList SandboxFileSystem::contentsOfDirectory(const QString& path) const {
    return mapped([&] { return live_.contentsOfDirectory(hostPath(path)); });
}

void SandboxFileSystem::createDirectory(const QString& path, bool withIntermediateDirectories) {
    mapped([&] { live_.createDirectory(writableHostPath(path), withIntermediateDirectories); });
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
