#pragma once

#include "platform/FileAppendWriter.h"
#include "platform/FileSystemOperating.h"
#include "platform/StartupFile.h"
#include "platform/ToolLocations.h"
#include "services/WriterReport.h"

#include <memory>

namespace tovr {

// Sets up the user's zsh start-up files: a de-duplicated PATH in ~/.zprofile, completions
// and the loading of ~/.env in ~/.zshrc, and ~/.env itself as a private place for keys.
// The start-up files are those zsh reads, as the login shell traced them, and named so;
// where that cannot be told nothing is written and a sentence says why.
// Every change is a marked append after a backup; nothing here throws.
struct ShellConfigurator {
    std::shared_ptr<FileSystemOperating> fs;
    // Dates the marker lines; the system clock when empty.
    FileAppendWriter::Clock clock = {};
    ToolLocations locations = {};

    // The managed configuration is in place: ~/.zprofile de-duplicates PATH, ~/.zshrc
    // sources ~/.env (both on active lines) and ~/.env exists. Never fails.
    bool isConfigured() const;

    // Writes the two start-up blocks and ~/.env where they are missing. A block counts as
    // present by the same active-line test as isConfigured(), so a configuration that
    // reports success always passes the check afterwards.
    WriterReport configure() const;

    // One tool line each, added after the tool is installed; a sentence per file touched.
    QStringList configureUvPath() const;
    QStringList configureMise() const; // ~/.zprofile first, then ~/.zshrc
    QStringList configureCargoPath() const;

    static constexpr const char* kZprofileNeedle = "typeset -U path PATH";
    static constexpr const char* kZshrcNeedle = "source \"$HOME/.env\"";
    // The ~/.env template: commented placeholders only, never a value.
    static const QString& envTemplate();

private:
    struct ToolLine;
    // A start-up file (".zprofile", ".zshrc") where zsh reads it, and as the user reads it.
    StartupFile startupFile(const QString& name) const;
    QString shown(const QString& name) const;
    QString toolLine(const ToolLine& row) const;
    void configureBlock(const QString& fileName, const QString& header, const QString& label,
                        const QStringList& lines, const QString& needle,
                        WriterReport& outcome) const;
    void ensureHeader(const QString& path, const QString& header) const;
    void createEnvFile(WriterReport& outcome) const;
};

} // namespace tovr
