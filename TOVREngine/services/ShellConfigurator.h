#pragma once

#include "platform/FileSystemOperating.h"

#include <memory>

namespace tovr {

// Sets up the user's zsh start-up files: a de-duplicated PATH in ~/.zprofile, completions
// and the loading of ~/.env in ~/.zshrc, and ~/.env itself as a private place for keys.
struct ShellConfigurator {
    std::shared_ptr<FileSystemOperating> fs;

    // The managed configuration is in place: ~/.zprofile de-duplicates PATH, ~/.zshrc
    // sources ~/.env (both on active lines) and ~/.env exists. Never fails.
    bool isConfigured() const;

    static constexpr const char* kZprofileNeedle = "typeset -U path PATH";
    static constexpr const char* kZshrcNeedle = "source \"$HOME/.env\"";
};

} // namespace tovr
