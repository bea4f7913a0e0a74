#pragma once

#include "demo/DemoReply.h"
#include "platform/SandboxFileSystem.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tovr {

// Git and GitHub's gh on the demo Mac. Git's identity is ~/.gitconfig, a clone holds the
// catalogue's fetched skills, and a GitHub sign-in is gh's hosts file.
struct DemoGit {
    std::shared_ptr<SandboxFileSystem> fs;

    // `path` tells Homebrew's git from Apple's.
    DemoReply git(const QString& path, const QStringList& args) const;
    DemoReply gh(const QStringList& args) const;

private:
    DemoReply config(const QStringList& args) const;
    DemoReply clone(const QStringList& args) const;
    DemoReply checkout(const QString& folder, const QStringList& args) const;
};

} // namespace tovr
