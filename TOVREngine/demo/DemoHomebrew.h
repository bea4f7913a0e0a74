#pragma once

#include "demo/DemoReply.h"
#include "platform/SandboxFileSystem.h"

#include <QStringList>

#include <memory>

namespace tovr {

// Homebrew on the demo Mac: `brew` and what its installs leave where Homebrew keeps them
// (the Cellar, the Caskroom, /Applications, links in /opt/homebrew/bin).
struct DemoHomebrew {
    std::shared_ptr<SandboxFileSystem> fs;

    DemoReply brew(const QStringList& args) const;

private:
    // `brew install` and `brew reinstall`, of formulae or (with --cask) casks.
    DemoReply install(const QStringList& args) const;
    // One of them, its lines and effects added to `reply`.
    void installFormula(const QString& name, bool reinstall, DemoReply& reply) const;
    void installCask(const QString& name, bool reinstall, DemoReply& reply) const;
};

} // namespace tovr
