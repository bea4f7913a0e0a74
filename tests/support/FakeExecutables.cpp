#include "support/FakeExecutables.h"

#include <QFile>

#include <stdexcept>

namespace tovr::test {

FakeExecutables::FakeExecutables() {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString FakeExecutables::write(const QString& name, const QString& body) {
    return writeRaw(name, ("#!/bin/sh\n" + body + "\n").toUtf8());
}

QString FakeExecutables::writeRaw(const QString& name, const QByteArray& contents) {
    const QString p = dir_.filePath(name);
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(contents) != contents.size())
        throw std::runtime_error("cannot write fake executable");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    return p;
}

} // namespace tovr::test
