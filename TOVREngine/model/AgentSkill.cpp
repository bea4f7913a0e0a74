#include "model/AgentSkill.h"

namespace tovr {

namespace {

const QList<AgentSkill>& allSkills() {
    static const QList<AgentSkill> skills{
        {QStringLiteral("avoid-ai-writing"), QStringLiteral("Avoid AI writing"),
         QStringLiteral("Make your agent write like a human, not a robot"),
         AgentSkill::Source::bundle(QStringLiteral("avoid-ai-writing")), true, false},
        {QStringLiteral("downloads-cleanup"), QStringLiteral("Downloads cleanup"),
         QStringLiteral("Moves files · Preview first"),
         AgentSkill::Source::bundle(QStringLiteral("downloads-cleanup")), false, false},
        {QStringLiteral("skill-creator"), QStringLiteral("Skill creator"),
         QStringLiteral("Anthropic · Experimental"),
         AgentSkill::Source::fetch(QStringLiteral("anthropics/skills"),
                                   QStringLiteral("skills/skill-creator"),
                                   QStringLiteral("57546260929473d4e0d1c1bb75297be2fdfa1949")),
         false, true},
    };
    return skills;
}

} // namespace

QList<AgentSkill> AgentSkill::catalog(bool includeDeveloperOnly) {
    QList<AgentSkill> skills;
    for (const auto& skill : allSkills())
        if (includeDeveloperOnly || !skill.developerOnly)
            skills << skill;
    return skills;
}

} // namespace tovr
