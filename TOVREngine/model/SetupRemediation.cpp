#include "model/SetupRemediation.h"

#include "model/SetupFixKind.h"

namespace tovr {

namespace {

const SetupFixKind& row(SetupRemediation::Kind kind) {
    return SetupFixKind::of(kind);
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

SetupRemediation SetupRemediation::repairPath(QString directory) {
    return {Kind::repairPath, RepairPath{std::move(directory)}};
}

SetupRemediation SetupRemediation::createProject(ProjectTemplate projectTemplate,
                                                 std::optional<QString> destinationPath) {
    return {Kind::createProject, CreateProject{projectTemplate, std::move(destinationPath)}};
}

SetupRemediation SetupRemediation::installSkill(AgentSkill skill) {
    return {Kind::installSkill, std::move(skill)};
}

SetupRemediation SetupRemediation::addMCPServer(MCPServer server, std::optional<QString> apiKey) {
    return {Kind::addMCPServer, AddMCPServer{std::move(server), std::move(apiKey)}};
}

SetupRemediation SetupRemediation::configureGit(QString name, QString email) {
    return {Kind::configureGit, ConfigureGit{std::move(name), std::move(email)}};
}

QString SetupRemediation::id() const {
    const QString prefix = text(row(kind_).id);
    switch (kind_) {
    case Kind::repairPath:
        return prefix + as<RepairPath>()->directory;
    case Kind::createProject:
        return prefix + toRaw(as<CreateProject>()->template_);
    case Kind::installSkill:
        return prefix + as<AgentSkill>()->slug;
    case Kind::addMCPServer:
        return prefix + as<AddMCPServer>()->server.slug;
    default:
        return prefix;
    }
}

QString SetupRemediation::title() const {
    switch (kind_) {
    case Kind::createProject:
        return as<CreateProject>()->template_ == ProjectTemplate::simple
                   ? QStringLiteral("Create the example project")
                   : QStringLiteral("Create the coding project");
    case Kind::installSkill:
        return QStringLiteral("Add ") + as<AgentSkill>()->displayName;
    case Kind::addMCPServer:
        return QStringLiteral("Add ") + as<AddMCPServer>()->server.displayName;
    default:
        return text(row(kind_).title);
    }
}

QString SetupRemediation::detail() const {
    switch (kind_) {
    case Kind::repairPath:
        return QStringLiteral("We'll add `") + as<RepairPath>()->directory +
               QStringLiteral("` to your PATH in `~/.zprofile` (after backing it up to "
                              "`~/.zprofile.bak`) so your shell can find `claude`.");
    case Kind::createProject:
        return as<CreateProject>()->template_ == ProjectTemplate::simple
                   ? text("We'll copy a ready-to-use sample project into "
                          "~/Documents/AI-Simple-Project — a folder to open with Claude, with "
                          "notes to try and CLAUDE.md / AGENTS.md guidance.")
                   : text("We'll copy a spec-driven coding project into "
                          "~/Documents/AI-Coding-Project — a worked scaffold that teaches "
                          "sustainable AI-assisted development.");
    case Kind::installSkill: {
        const auto* skill = as<AgentSkill>();
        return QStringLiteral("We'll add the ") + skill->displayName +
               text(" skill to your AI agents — ") + skill->badge + QStringLiteral(".");
    }
    case Kind::addMCPServer: {
        const auto& server = as<AddMCPServer>()->server;
        const bool signsIn = server.connection.as<MCPServer::Connection::OAuth>() != nullptr;
        return QStringLiteral("We'll add the ") + server.displayName +
               (signsIn ? QStringLiteral(" MCP server to your AI agents, then you sign in inside "
                                         "Claude or Codex to finish.")
                        : QStringLiteral(" MCP server to your AI agents."));
    }
    default: {
        const SetupFixKind& fix = row(kind_);
        const QString sentence = text(fix.detail);
        return sentence.contains(QStringLiteral("%1")) ? sentence.arg(fix.packageName()) : sentence;
    }
    }
}

QString SetupRemediation::analyticsKey() const {
    return text(row(kind_).analyticsKey);
}

VerifyPolicy SetupRemediation::verifyPolicy() const {
    return row(kind_).verifyPolicy;
}

SetupAction SetupRemediation::setupAction() const {
    return {id(), title(), detail(), verifyPolicy()};
}

} // namespace tovr
