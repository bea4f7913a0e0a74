#pragma once

#include "platform/FileSystemOperating.h"

#include <memory>

namespace tovr {

// Writes a managed note about this Mac's toolchain into the instruction file of each AI
// agent found (Claude Code's ~/.claude/CLAUDE.md, Codex's ~/.codex/AGENTS.md).
struct AgentEnvDoc {
    std::shared_ptr<FileSystemOperating> fs;

    // What is installed, worked out afresh on every call.
    struct DetectedTools {
        bool homebrewFound = false;
        bool pythonFound = false;
        bool miseFound = false;
        bool rustFound = false;
        bool javaFound = false;
        bool claudeFound = false;
        bool codexFound = false;
        bool operator==(const DetectedTools&) const = default;
    };

    DetectedTools detectTools() const;
    // An agent is present whose instruction file lacks the note. Never fails.
    bool isNeeded() const;

    // Every file that carries the note contains this phrase.
    static constexpr const char* kMarkerPhrase = "Tovrin — development environment";

private:
    bool hasBrewBinary(const QString& name) const;
    bool zprofileContains(const QString& text) const;
    // The file's UTF-8 text; a missing or unreadable file is empty.
    QString readOrEmpty(const QString& path) const;
};

} // namespace tovr
