#include "demo/DemoGit.h"

#include "demo/DemoGitConfig.h"
#include "demo/DemoTools.h"
#include "model/AgentSkill.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace tovr {

DemoReply DemoGit::git(const QString& path, const QStringList& args) const {
    // git's own options come before the command; the app passes only "-C <folder>".
    QString folder;
    qsizetype at = 0;
    while (at + 1 < args.size() && args[at] == u"-C") {
        folder = args[at + 1];
        at += 2;
    }
    const QString verb = args.value(at);
    const QStringList rest = args.mid(at + 1);
    if (verb == u"--version") {
        DemoReply reply;
        reply.print(path.startsWith(DemoTools::homebrewPrefix)
                        ? QStringLiteral("git version 2.47.1")
                        : QStringLiteral("git version 2.39.5 (Apple Git-154)"));
        return reply;
    }
    if (verb == u"config")
        return config(rest);
    if (verb == u"clone")
        return clone(rest);
    if (verb == u"checkout")
        return checkout(folder, rest);
    return {};
}

DemoReply DemoGit::config(const QStringList& args) const {
    // Options end at the key: what follows it is the value, even when it starts with "-".
    bool get = false;
    QStringList operands;
    for (const QString& arg : args) {
        if (operands.isEmpty() && arg.startsWith(u'-')) {
            get = get || arg == u"--get";
            continue;
        }
        operands << arg;
    }
    const QString file = fs->homeDirectory() + QStringLiteral("/.gitconfig");
    const QString key = operands.value(0);
    if (!key.contains(u'.'))
        return DemoReply::failure(QStringLiteral("error: key does not contain a section: ") + key,
                                  2);
    DemoReply reply;
    if (get || operands.size() == 1) { // a query: the value, or exit 1 when unset
        if (const auto value = DemoGitConfig::value(QString::fromUtf8(fs->contents(file)), key))
            reply.print(*value);
        else
            reply.exitCode = 1;
        return reply;
    }
    reply.effects << [fs = fs, file, key, value = operands.value(1)] {
        const QString text = QString::fromUtf8(fs->contents(file));
        fs->createFile(file, DemoGitConfig::withValue(text, key, value).toUtf8());
    };
    return reply;
}

// The repositories the demo can clone are those of the catalogue's fetched skills; a clone
// holds, at the pinned revision, each such skill's folder with its SKILL.md.
DemoReply DemoGit::clone(const QStringList& args) const {
    const QStringList plain = DemoTools::operands(args);
    const QString url = plain.value(0);
    const QString target = plain.value(1);
    const QString repo =
        QUrl(url).path().mid(1).remove(QRegularExpression(QStringLiteral("(\\.git)?/?$")));
    const auto skills = AgentSkill::catalog(true);
    const bool known = std::any_of(skills.cbegin(), skills.cend(), [&](const AgentSkill& skill) {
        const auto* fetch = skill.source.as<AgentSkill::Source::Fetch>();
        return fetch && fetch->repo == repo;
    });
    if (!known)
        return DemoReply::failure(QStringLiteral("Cloning into '%1'...\nremote: Repository not "
                                                 "found.\nfatal: repository '%2/' not found")
                                      .arg(target, url),
                                  128);
    if (!target.startsWith(u'/'))
        return DemoReply::failure(QStringLiteral("fatal: the demo Mac clones into full paths"),
                                  128);
    if (fs->fileExists(target))
        return DemoReply::failure(QStringLiteral("fatal: destination path '%1' already exists "
                                                 "and is not an empty directory.")
                                      .arg(target),
                                  128);
    DemoReply reply;
    reply.printError(QStringLiteral("Cloning into '%1'...").arg(target));
    reply.print(QStringLiteral("remote: Enumerating objects: 1204, done."), 2);
    reply.print(QStringLiteral("Receiving objects: 100% (1204/1204), 312.40 KiB, done."), 2);
    reply.effects << [fs = fs, target, url] {
        fs->createFile(
            target + QStringLiteral("/.git/config"),
            DemoGitConfig::withValue({}, QStringLiteral("remote.origin.url"), url).toUtf8());
    };
    return reply;
}

DemoReply DemoGit::checkout(const QString& folder, const QStringList& args) const {
    const QString revision = DemoTools::operands(args).value(0);
    const auto skills = AgentSkill::catalog(true);
    // The clone is made when its command completes, so its repository is read then.
    QList<AgentSkill::Source::Fetch> pinned;
    for (const AgentSkill& skill : skills)
        if (const auto* fetch = skill.source.as<AgentSkill::Source::Fetch>();
            fetch && revision.size() >= 7 && fetch->pin.startsWith(revision))
            pinned << *fetch;
    if (pinned.isEmpty() || !folder.startsWith(u'/'))
        return DemoReply::failure(
            QStringLiteral("error: pathspec '%1' did not match any file(s) known to git")
                .arg(revision),
            1);
    DemoReply reply;
    reply.printError(QStringLiteral("HEAD is now at %1 Pinned revision").arg(revision.left(7)));
    reply.effects << [fs = fs, folder, pinned] {
        const QString url =
            DemoGitConfig::value(QString::fromUtf8(fs->contents(folder + "/.git/config")),
                                 QStringLiteral("remote.origin.url"))
                .value_or(QString());
        for (const auto& fetch : pinned) {
            if (!QUrl(url).path().startsWith(u'/' + fetch.repo))
                continue;
            const QString name = fetch.subpath.section(u'/', -1);
            fs->createFile(folder + u'/' + fetch.subpath + QStringLiteral("/SKILL.md"),
                           QStringLiteral("---\nname: %1\ndescription: The %1 skill, as the demo "
                                          "Mac fetches it at %2.\n---\n\n# %1\n")
                               .arg(name, fetch.pin)
                               .toUtf8());
        }
    };
    return reply;
}

DemoReply DemoGit::gh(const QStringList& args) const {
    DemoReply reply;
    const QString hosts = fs->homeDirectory() + QStringLiteral("/.config/gh/hosts.yml");
    if (args.value(0) == u"--version") {
        reply.print(DemoTools::versionLine(QStringLiteral("gh")));
    } else if (args.value(0) == u"auth" && args.value(1) == u"status") {
        if (!fs->fileExists(hosts))
            return DemoReply::failure(
                QStringLiteral("You are not logged into any GitHub hosts. To log in, "
                               "run: gh auth login"),
                1);
        reply.print(QStringLiteral("github.com"));
        reply.print(QString::fromUtf8("  ✓ Logged in to github.com account dev (keyring)"));
        reply.print(QStringLiteral("  - Active account: true"));
        reply.print(QStringLiteral("  - Git operations protocol: https"));
    } else if (args.value(0) == u"auth" && args.value(1) == u"login") {
        reply.print(QStringLiteral("! First copy your one-time code: 3F2A-9C1B"), 1);
        reply.print(QStringLiteral("Open this URL to continue in your web browser: "
                                   "https://github.com/login/device"));
        reply.print(QString::fromUtf8("✓ Authentication complete."), 8);
        reply.print(QStringLiteral("- gh config set -h github.com git_protocol https"), 1);
        reply.print(QString::fromUtf8("✓ Configured git protocol"));
        reply.print(QString::fromUtf8("✓ Logged in as dev"), 1);
        reply.effects << [fs = fs, hosts] {
            fs->createFile(hosts, "github.com:\n    user: dev\n    git_protocol: https\n", 0600);
        };
    }
    return reply;
}

} // namespace tovr
