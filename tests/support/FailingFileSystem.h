#pragma once

#include "platform/Error.h"
#include "support/ForwardingFileSystem.h"

#include <cerrno>

namespace tovr::test {

// Forwards to another file system, but fails every write whose path ends with `failOn`,
// to make a copy stop part-way.
class FailingFileSystem final : public ForwardingFileSystem {
public:
    FailingFileSystem(std::shared_ptr<FileSystemOperating> inner, QString failOn)
        : ForwardingFileSystem(std::move(inner)), failOn_(std::move(failOn)) {}

    void write(const QString& text, const QString& p, bool atomically) override {
        check(p);
        inner_->write(text, p, atomically);
    }
    void writeData(const QByteArray& data, const QString& p) override {
        check(p);
        inner_->writeData(data, p);
    }
    void writeDataWithMode(const QByteArray& data, const QString& p, int mode) override {
        check(p);
        inner_->writeDataWithMode(data, p, mode);
    }
    QString stageData(const QByteArray& data, const QString& p, std::optional<int> mode) override {
        check(p);
        return inner_->stageData(data, p, mode);
    }

private:
    void check(const QString& path) const {
        if (path.endsWith(failOn_))
            throw SystemError(ENOSPC, QStringLiteral("No space left on device"));
    }

    QString failOn_;
};

} // namespace tovr::test
