#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tovr::test {

// Writes small executable scripts into a temporary folder, for tests that run real
// children through the live runner.
class FakeExecutables {
public:
    FakeExecutables();
    // Writes `name` with a "#!/bin/sh" line and `body`; returns its absolute path.
    QString write(const QString& name, const QString& body);
    // Writes `name` with exactly `contents` (its own interpreter line).
    QString writeRaw(const QString& name, const QByteArray& contents);
    QString dir() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace tovr::test
