#pragma once

#include <QList>
#include <QString>

#include <variant>

namespace tovr {

// A skill the user can add to the AI agents. Identified by `slug`.
struct AgentSkill {
    // Where the skill's folder comes from.
    struct Source {
        // A skill folder among the application's resources.
        struct Bundle {
            QString name;
            bool operator==(const Bundle&) const = default;
        };
        // A folder of a repository, checked out at a pinned revision.
        struct Fetch {
            QString repo;
            QString subpath;
            QString pin;
            bool operator==(const Fetch&) const = default;
        };

        std::variant<Bundle, Fetch> value;

        static Source bundle(QString name) { return {Bundle{std::move(name)}}; }
        static Source fetch(QString repo, QString subpath, QString pin) {
            return {Fetch{std::move(repo), std::move(subpath), std::move(pin)}};
        }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
        bool operator==(const Source&) const = default;
    };

    QString slug;
    QString displayName;
    QString badge; // quoted in the fix's explanation
    Source source;
    bool preselected = false;
    bool developerOnly = false;

    // The catalogue in its fixed order, without the developer-only skills unless asked.
    static QList<AgentSkill> catalog(bool includeDeveloperOnly);

    bool operator==(const AgentSkill&) const = default;
};

} // namespace tovr
