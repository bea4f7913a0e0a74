#include "model/LanguageDetector.h"

#include <algorithm>
#include <exception>
#include <initializer_list>

namespace tovr {

namespace {

class Probe {
public:
    explicit Probe(const FileSystemOperating& fs) : fs_(fs), home_(fs.homeDirectory()) {}

    // The folder under home lists at least one entry; a failing listing does not hold.
    bool listing(const QString& relative) const { return !entries(inHome(relative)).isEmpty(); }
    bool home(std::initializer_list<const char*> relatives) const {
        for (const char* relative : relatives)
            if (fs_.fileExists(inHome(QString::fromUtf8(relative))))
                return true;
        return false;
    }
    bool absolute(std::initializer_list<const char*> paths) const {
        for (const char* path : paths)
            if (fs_.fileExists(QString::fromUtf8(path)))
                return true;
        return false;
    }
    QStringList entries(const QString& path) const {
        try {
            return fs_.contentsOfDirectory(path);
        } catch (const std::exception&) {
            return {};
        }
    }

private:
    QString inHome(const QString& relative) const { return home_ + QLatin1Char('/') + relative; }

    const FileSystemOperating& fs_;
    QString home_;
};

using Status = LanguageDetector::Status;

Status python(const Probe& probe) {
    if (probe.listing(QStringLiteral(".local/share/uv/python")))
        return Status::alreadySetUp(QStringLiteral("uv"));
    if (probe.listing(QStringLiteral(".pyenv/versions")))
        return Status::managedByOther(QStringLiteral("pyenv"));
    if (probe.home({".asdf/installs/python"}))
        return Status::managedByOther(QStringLiteral("asdf"));
    if (probe.home({"miniconda3", "anaconda3"}))
        return Status::managedByOther(QStringLiteral("conda"));
    if (probe.absolute({"/opt/homebrew/bin/python3", "/usr/local/bin/python3", "/usr/bin/python3"}))
        return Status::unmanagedInstall();
    return Status::notInstalled();
}

Status node(const Probe& probe) {
    if (probe.listing(QStringLiteral(".local/share/mise/installs/node")))
        return Status::alreadySetUp(QStringLiteral("mise"));
    if (probe.listing(QStringLiteral(".nvm/versions/node")))
        return Status::managedByOther(QStringLiteral("nvm"));
    if (probe.home({".volta/bin/node"}))
        return Status::managedByOther(QStringLiteral("volta"));
    if (probe.home({".asdf/installs/nodejs"}))
        return Status::managedByOther(QStringLiteral("asdf"));
    if (probe.home({".local/share/fnm", "Library/Application Support/fnm"}))
        return Status::managedByOther(QStringLiteral("fnm"));
    if (probe.absolute({"/opt/homebrew/bin/node", "/usr/local/bin/node"}))
        return Status::unmanagedInstall();
    return Status::notInstalled();
}

Status java(const Probe& probe) {
    const QStringList jdks = probe.entries(QStringLiteral("/Library/Java/JavaVirtualMachines"));
    const auto isJDK = [](const QString& name) { return name.endsWith(QLatin1String(".jdk")); };
    for (const auto& name : jdks)
        if (isJDK(name) && name.startsWith(QLatin1String("temurin-")))
            return Status::alreadySetUp(QStringLiteral("Temurin"));
    if (probe.listing(QStringLiteral(".sdkman/candidates/java")))
        return Status::managedByOther(QStringLiteral("SDKMAN"));
    if (probe.listing(QStringLiteral(".jenv/versions")))
        return Status::managedByOther(QStringLiteral("jenv"));
    if (std::any_of(jdks.begin(), jdks.end(), isJDK))
        return Status::unmanagedInstall();
    return Status::notInstalled();
}

Status ruby(const Probe& probe) {
    if (probe.listing(QStringLiteral(".local/share/mise/installs/ruby")))
        return Status::alreadySetUp(QStringLiteral("mise"));
    if (probe.listing(QStringLiteral(".rbenv/versions")))
        return Status::managedByOther(QStringLiteral("rbenv"));
    if (probe.listing(QStringLiteral(".rvm/rubies")))
        return Status::managedByOther(QStringLiteral("rvm"));
    if (probe.listing(QStringLiteral(".rubies")))
        return Status::managedByOther(QStringLiteral("chruby"));
    if (probe.home({".asdf/installs/ruby"}))
        return Status::managedByOther(QStringLiteral("asdf"));
    if (probe.absolute({"/opt/homebrew/opt/ruby/bin/ruby", "/usr/bin/ruby"}))
        return Status::unmanagedInstall();
    return Status::notInstalled();
}

Status rust(const Probe& probe) {
    if (probe.listing(QStringLiteral(".rustup/toolchains")) || probe.home({".cargo/bin/rustc"}))
        return Status::alreadySetUp(QStringLiteral("rustup"));
    if (probe.absolute({"/opt/homebrew/bin/rustc"}))
        return Status::unmanagedInstall();
    return Status::notInstalled();
}

} // namespace

std::optional<QString> LanguageDetector::Status::text() const {
    if (const auto* setUp = as<AlreadySetUp>())
        return QStringLiteral("already set up (") + setUp->name + QStringLiteral(")");
    if (const auto* other = as<ManagedByOther>())
        return QStringLiteral("managed by ") + other->name +
               QString::fromUtf8(" — installing ours may conflict");
    if (as<UnmanagedInstall>())
        return QStringLiteral("upgrade recommended (an outdated system install was found)");
    return std::nullopt;
}

LanguageDetector::Status LanguageDetector::detect(TOVRLanguage language) const {
    const Probe probe(*fs);
    switch (language) {
    case TOVRLanguage::python:
        return python(probe);
    case TOVRLanguage::node:
        return node(probe);
    case TOVRLanguage::java:
        return java(probe);
    case TOVRLanguage::ruby:
        return ruby(probe);
    case TOVRLanguage::rust:
        return rust(probe);
    }
    return Status::notInstalled();
}

} // namespace tovr
