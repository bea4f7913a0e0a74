#pragma once

#include "platform/FileSystemOperating.h"

#include <memory>

namespace tovr::test {

// Hands every call to another file system; a test double overrides the calls it watches.
class ForwardingFileSystem : public FileSystemOperating {
public:
    explicit ForwardingFileSystem(std::shared_ptr<FileSystemOperating> inner)
        : inner_(std::move(inner)) {}

    bool fileExists(const QString& p) const override { return inner_->fileExists(p); }
    bool fileExists(const QString& p, bool* d) const override { return inner_->fileExists(p, d); }
    bool isExecutableFile(const QString& p) const override { return inner_->isExecutableFile(p); }
    QStringList contentsOfDirectory(const QString& p) const override {
        return inner_->contentsOfDirectory(p);
    }
    void createDirectory(const QString& p, bool i) override { inner_->createDirectory(p, i); }
    void createDirectoryWithMode(const QString& p, int mode) override {
        inner_->createDirectoryWithMode(p, mode);
    }
    void removeItem(const QString& p) override { inner_->removeItem(p); }
    void moveItem(const QString& f, const QString& t) override { inner_->moveItem(f, t); }
    FileAttributes attributesOfItem(const QString& p) const override {
        return inner_->attributesOfItem(p);
    }
    void setAttributes(const FileAttributes& a, const QString& p) override {
        inner_->setAttributes(a, p);
    }
    QString homeDirectory() const override { return inner_->homeDirectory(); }
    void write(const QString& text, const QString& p, bool atomically) override {
        inner_->write(text, p, atomically);
    }
    QByteArray readData(const QString& p) const override { return inner_->readData(p); }
    void writeData(const QByteArray& data, const QString& p) override {
        inner_->writeData(data, p);
    }
    void writeDataWithMode(const QByteArray& data, const QString& p, int mode) override {
        inner_->writeDataWithMode(data, p, mode);
    }
    QString stageData(const QByteArray& data, const QString& p, std::optional<int> mode) override {
        return inner_->stageData(data, p, mode);
    }
    void commitStaged(const QString& staged, const QString& p) override {
        inner_->commitStaged(staged, p);
    }
    QString readText(const QString& p) const override { return inner_->readText(p); }
    QString cachesDirectory() override { return inner_->cachesDirectory(); }
    QString applicationSupportDirectory(bool c) override {
        return inner_->applicationSupportDirectory(c);
    }
    QString temporaryDirectory() const override { return inner_->temporaryDirectory(); }
    std::optional<FileIdentity> fileIdentity(const QString& p) const override {
        return inner_->fileIdentity(p);
    }

protected:
    std::shared_ptr<FileSystemOperating> inner_;
};

} // namespace tovr::test
