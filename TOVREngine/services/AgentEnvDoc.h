#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/ToolLocations.h"
#include "services/WriterReport.h"

#include <memory>

namespace tovr {

// Writes a managed note about this Mac's toolchain into the instruction file of each AI
// agent found (Claude Code's CLAUDE.md, Codex's AGENTS.md, each in the agent's own folder).
struct AgentEnvDoc {
    std::shared_ptr<FileSystemOperating> fs;
    ToolLocations locations = {}; // the agents' folders and zsh's start-up files

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

    // Appends the note to the file of each agent found, after a backup; a file that already
    // has it, or that cannot be read, is left alone. Never throws.
    WriterReport document() const;
    // The note for what is installed; it ends with a line feed. `zprofile` and `zshrc` name
    // the start-up files zsh reads, as the user reads them.
    static QString render(const DetectedTools& tools,
                          const QString& zprofile = QStringLiteral("~/.zprofile"),
                          const QString& zshrc = QStringLiteral("~/.zshrc"));
    // Appends `section` to `path` unless it is there; adds the sentence for `label` to
    // `report` and clears its `ok` on failure.
    void writeSection(const QString& path, const QString& section, const QString& label,
                      WriterReport& report) const;

    // Every file that carries the note contains this phrase.
    static constexpr const char* kMarkerPhrase = "Tovrin — development environment";

private:
    bool hasBrewBinary(const QString& name) const;
    bool zprofileContains(const QString& text) const;
    // The note's file in `folder`, and its label in messages.
    void documentIn(const QString& agent, const QString& folder, const QString& file,
                    const QString& section, WriterReport& report) const;
    // The file's UTF-8 text; a missing or unreadable file is empty.
    QString readOrEmpty(const QString& path) const;
};

} // namespace tovr
