#include "demo/DemoRunFolder.h"

#include "demo/DemoMac.h"

#include <QFileInfo>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tovr {

namespace {

// The bus that libdbus would find on its own before it autolaunches one.
bool hasSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info = {};
    return !runtime.isEmpty() &&
           ::stat(QFile::encodeName(runtime + QStringLiteral("/bus")).constData(), &info) == 0 &&
           S_ISSOCK(info.st_mode);
}

// A D-Bus address value: bytes outside the few it takes as they are go as %XX.
QByteArray busAddressValue(const QByteArray& raw) {
    static const QByteArray plain = QByteArrayLiteral("-_/.*");
    QByteArray value;
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x80 && std::isalnum(u)) || plain.contains(c))
            value += c;
        else
            value += '%' + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return value;
}

} // namespace

DemoRunFolder::DemoRunFolder() : dir_(DemoMac::folderTemplate()) {
    if (!dir_.isValid())
        return;
    if (::mkdir(QFile::encodeName(runtimeFolder()).constData(), 0700) != 0) {
        runtimeError_ = errno;
        return;
    }
    valid_ = true;
}

QString DemoRunFolder::errorString() const {
    if (!dir_.isValid())
        return dir_.errorString();
    if (runtimeError_)
        return QString::fromLocal8Bit(std::strerror(runtimeError_));
    return {};
}

void DemoRunFolder::provideSessionEnvironment() const {
    if (!hasSessionBus())
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + busAddressValue(QFile::encodeName(
                                   runtimeFolder() + QStringLiteral("/no-session-bus"))));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder()));
}

} // namespace tovr
