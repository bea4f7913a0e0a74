#include "platform/ToolLocations.h"

#include <QDir>

namespace tovr {

namespace {

const QString kStart = QStringLiteral("tovr-tool-locations");

QString orDefault(const std::optional<QString>& value, const QString& fallback) {
    return value ? *value : fallback;
}

} // namespace

const QStringList& ToolLocations::names() {
    static const QStringList all{QStringLiteral("CODEX_HOME"), QStringLiteral("CLAUDE_CONFIG_DIR"),
                                 QStringLiteral("ZDOTDIR"), QStringLiteral("GIT_CONFIG_GLOBAL"),
                                 QStringLiteral("XDG_CONFIG_HOME")};
    return all;
}

std::optional<QString> ToolLocations::variable(const QString& name) const {
    const auto it = variables.constFind(name);
    // A relative folder depends on where each command runs: there is no one place to use.
    if (it == variables.cend() || !it->startsWith(u'/'))
        return std::nullopt;
    return QDir::cleanPath(*it);
}

QString ToolLocations::codexHome(const QString& home) const {
    return orDefault(variable(QStringLiteral("CODEX_HOME")), home + QStringLiteral("/.codex"));
}

QString ToolLocations::claudeConfigDir(const QString& home) const {
    return orDefault(variable(QStringLiteral("CLAUDE_CONFIG_DIR")),
                     home + QStringLiteral("/.claude"));
}

QString ToolLocations::claudeJson(const QString& home) const {
    const auto moved = variable(QStringLiteral("CLAUDE_CONFIG_DIR"));
    return (moved ? *moved : home) + QStringLiteral("/.claude.json");
}

QString ToolLocations::zshStartupDir(const QString& home) const {
    return orDefault(variable(QStringLiteral("ZDOTDIR")), home);
}

ToolLocations ToolLocations::fromEnvironment(const SystemEnvironment& environment) {
    ToolLocations locations;
    for (const QString& name : names())
        if (const auto value = environment.variable(name))
            locations.variables.insert(name, *value);
    return locations;
}

ToolLocations ToolLocations::fromLoginShell(ProcessRunning& runner) {
    // The tools see only what is exported; zsh itself follows ZDOTDIR exported or not.
    const QString script =
        QStringLiteral("print -rN -- ") + kStart + QStringLiteral("; for n in ") +
        names().join(u' ') +
        QStringLiteral("; do t=${(tP)n}; if [[ $t == *export* || ( $n == ZDOTDIR && -n $t ) "
                       "]]; then print -rN -- \"$n=${(P)n}\"; fi; done");
    try {
        return parse(
            runner.run(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script}).stdout_);
    } catch (const std::exception&) {
        return {};
    }
}

ToolLocations ToolLocations::parse(const QString& output) {
    ToolLocations locations;
    const qsizetype start = output.indexOf(kStart + QChar(u'\0'));
    if (start < 0)
        return locations;
    QStringList records = output.mid(start + kStart.size() + 1).split(QChar(u'\0'));
    records.removeLast(); // what follows the last record is not one
    for (const QString& record : records) {
        const qsizetype eq = record.indexOf(u'=');
        const QString name = record.left(eq);
        if (eq > 0 && names().contains(name))
            locations.variables.insert(name, record.mid(eq + 1));
    }
    return locations;
}

ToolLocations ToolLocationsSource::get() const {
    std::call_once(once_, [this] {
        value_ = read_();
        ready_.store(true, std::memory_order_release);
    });
    return value_;
}

std::optional<ToolLocations> ToolLocationsSource::ifRead() const {
    if (!ready_.load(std::memory_order_acquire))
        return std::nullopt;
    return value_;
}

std::shared_ptr<ToolLocationsSource>
ToolLocationsSource::loginShell(std::shared_ptr<ProcessRunning> runner) {
    return std::make_shared<ToolLocationsSource>(
        [runner = std::move(runner)] { return ToolLocations::fromLoginShell(*runner); });
}

std::shared_ptr<ToolLocationsSource> ToolLocationsSource::fixed(ToolLocations locations) {
    auto source = std::make_shared<ToolLocationsSource>(
        [locations = std::move(locations)] { return locations; });
    source->get(); // nothing to wait for: known at once
    return source;
}

ToolLocations toolLocationsOf(const std::shared_ptr<ToolLocationsSource>& source) {
    return source ? source->get() : ToolLocations{};
}

} // namespace tovr
