#pragma once

#include "model/AgentSkill.h"
#include "model/MCPServer.h"
#include "model/ProjectTemplate.h"
#include "model/SetupAction.h"

#include <QString>

#include <optional>
#include <variant>

namespace tovr {

// One fix the setup products can offer. Identified by `id()`; equality is structural (same
// kind, equal payloads), so two values may share an id and still differ.
class SetupRemediation {
public:
    enum class Kind {
        repairPath,
        createProject,
        installSkill,
        addMCPServer,
        configureGit,
        installCommandLineTools,
        installHomebrew,
        installClaudeCLI,
        repairHomebrewPath,
        installWarp,
        installClaudeDesktop,
        installZed,
        installVSCode,
        installCodexCLI,
        installChatGPTDesktop,
        configureShell,
        installUv,
        installMise,
        installNodeViaMise,
        installRubyViaMise,
        installRustViaMise,
        installRustup,
        installTemurin,
        documentEnvironment,
        installGh,
        githubAuth,
    };

    struct RepairPath {
        QString directory;
        bool operator==(const RepairPath&) const = default;
    };
    struct CreateProject {
        ProjectTemplate template_ = ProjectTemplate::simple; // `template` is a keyword
        std::optional<QString> destinationPath;
        bool operator==(const CreateProject&) const = default;
    };
    struct AddMCPServer {
        MCPServer server;
        std::optional<QString> apiKey;
        bool operator==(const AddMCPServer&) const = default;
    };
    struct ConfigureGit {
        QString name;
        QString email;
        bool operator==(const ConfigureGit&) const = default;
    };

    static SetupRemediation repairPath(QString directory);
    static SetupRemediation createProject(ProjectTemplate projectTemplate,
                                          std::optional<QString> destinationPath = {});
    static SetupRemediation installSkill(AgentSkill skill);
    static SetupRemediation addMCPServer(MCPServer server, std::optional<QString> apiKey = {});
    static SetupRemediation configureGit(QString name, QString email);
    // The fixes without payload; `ofKind` takes any of their kinds.
    static SetupRemediation ofKind(Kind kind) { return {kind}; }
    static SetupRemediation installCommandLineTools() { return {Kind::installCommandLineTools}; }
    static SetupRemediation installHomebrew() { return {Kind::installHomebrew}; }
    static SetupRemediation installClaudeCLI() { return {Kind::installClaudeCLI}; }
    static SetupRemediation repairHomebrewPath() { return {Kind::repairHomebrewPath}; }
    static SetupRemediation installWarp() { return {Kind::installWarp}; }
    static SetupRemediation installClaudeDesktop() { return {Kind::installClaudeDesktop}; }
    static SetupRemediation installZed() { return {Kind::installZed}; }
    static SetupRemediation installVSCode() { return {Kind::installVSCode}; }
    static SetupRemediation installCodexCLI() { return {Kind::installCodexCLI}; }
    static SetupRemediation installChatGPTDesktop() { return {Kind::installChatGPTDesktop}; }
    static SetupRemediation configureShell() { return {Kind::configureShell}; }
    static SetupRemediation installUv() { return {Kind::installUv}; }
    static SetupRemediation installMise() { return {Kind::installMise}; }
    static SetupRemediation installNodeViaMise() { return {Kind::installNodeViaMise}; }
    static SetupRemediation installRubyViaMise() { return {Kind::installRubyViaMise}; }
    static SetupRemediation installRustViaMise() { return {Kind::installRustViaMise}; }
    static SetupRemediation installRustup() { return {Kind::installRustup}; }
    static SetupRemediation installTemurin() { return {Kind::installTemurin}; }
    static SetupRemediation documentEnvironment() { return {Kind::documentEnvironment}; }
    static SetupRemediation installGh() { return {Kind::installGh}; }
    static SetupRemediation githubAuth() { return {Kind::githubAuth}; }

    Kind kind() const { return kind_; }
    // The payload of the kinds that carry one: RepairPath, CreateProject, AgentSkill,
    // AddMCPServer or ConfigureGit; null for any other kind.
    template <class Payload> const Payload* as() const { return std::get_if<Payload>(&payload_); }

    // The stable id: the key of render-policy tables, telemetry and failure records.
    QString id() const;
    QString title() const;
    QString detail() const; // may be empty
    QString analyticsKey() const;
    VerifyPolicy verifyPolicy() const;
    // The fix as a stage row.
    SetupAction setupAction() const;

    bool operator==(const SetupRemediation&) const = default;

private:
    using Payload = std::variant<std::monostate, RepairPath, CreateProject, AgentSkill,
                                 AddMCPServer, ConfigureGit>;
    SetupRemediation(Kind kind, Payload payload = {}) : kind_(kind), payload_(std::move(payload)) {}

    Kind kind_;
    Payload payload_;
};

} // namespace tovr
