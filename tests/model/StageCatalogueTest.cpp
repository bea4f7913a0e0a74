#include "model/AgentSkill.h"
#include "model/ClaudeStageCatalog.h"
#include "model/SetupRemediation.h"

#include <QUrl>

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

TEST(StageCatalogue, SkillsLeaveOutDeveloperOnlyUnlessAsked) {
    const auto slugs = [](const QList<AgentSkill>& skills) {
        QStringList s;
        for (const auto& skill : skills)
            s << skill.slug;
        return s;
    };
    EXPECT_EQ(slugs(AgentSkill::catalog(false)),
              (QStringList{u"avoid-ai-writing"_s, u"downloads-cleanup"_s}));
    const auto all = AgentSkill::catalog(true);
    EXPECT_EQ(slugs(all),
              (QStringList{u"avoid-ai-writing"_s, u"downloads-cleanup"_s, u"skill-creator"_s}));
    EXPECT_TRUE(all[0].preselected);
    EXPECT_EQ(all[2].source,
              AgentSkill::Source::fetch(u"anthropics/skills"_s, u"skills/skill-creator"_s,
                                        u"57546260929473d4e0d1c1bb75297be2fdfa1949"_s));
    EXPECT_EQ(SetupRemediation::installSkill(all[1]).detail(),
              u"We'll add the Downloads cleanup skill to your AI agents — Moves files · Preview "
              "first."_s);
}

TEST(StageCatalogue, MCPServersAreRemoteWithBothConnectionKinds) {
    const auto servers = ClaudeStageCatalog().mcpServers();
    ASSERT_EQ(servers.size(), 3);
    QSet<QString> slugs;
    bool keyless = false;
    bool oauth = false;
    for (const auto& server : servers) {
        SCOPED_TRACE(server.slug.toStdString());
        slugs.insert(server.slug);
        EXPECT_EQ(QUrl(server.url).scheme(), u"https"_s);
        EXPECT_FALSE(server.summary.isEmpty());
        if (const auto* key = server.connection.as<MCPServer::Connection::KeylessOptionalKey>()) {
            keyless = true;
            if (key->keyURLTemplate) {
                EXPECT_TRUE(key->keyURLTemplate->startsWith(server.url));
                EXPECT_EQ(key->keyURLTemplate->count(u"{key}"_s), 1);
            }
        } else {
            oauth = true;
            EXPECT_TRUE(SetupRemediation::addMCPServer(server).detail().endsWith(
                u"then you sign in inside Claude or Codex to finish."_s));
        }
    }
    EXPECT_EQ(slugs.size(), 3);
    EXPECT_TRUE(keyless);
    EXPECT_TRUE(oauth);
}
