#pragma once

#include "model/SetupProbeBundle.h"
#include "model/SetupVerificationResult.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace tovr {

struct NetworkReadinessConfig;
struct DiskReadinessConfig;

// How a product draws and drives the shared setup workflow: rules and tables keyed by
// domain id or fix id. A default-constructed policy is every product's starting point.
struct SpineRenderPolicy {
    // A screen between the last primary stage and verification.
    struct InterstitialScreen {
        QString windowTitle;
        QString headline;
        QString body;
        QString buttonLabel;
        std::optional<QString> disclosure;
        QString articlePath;
        bool operator==(const InterstitialScreen&) const = default;
    };

    // An installed app the outcome screen offers to open.
    struct OpenableApp {
        QString label;
        QString appName; // as macOS opens it
        bool operator==(const OpenableApp&) const = default;
    };

    // Reported as "offer_id", "offer_surface" and "eligibility_reason" of the offer events.
    struct SpineOffer {
        QString offerID;
        QString offerSurface;
        QString eligibilityReason;
        bool operator==(const SpineOffer&) const = default;
    };

    // One checkbox row of a multi-select install.
    struct CaskChoice {
        QString label;
        QString remediationID; // the fix the row runs
        QString accessibilityID;
        bool operator==(const CaskChoice&) const = default;
    };

    // A stage drawn in its own way instead of a plain list of fixes.
    struct SpecialStageKind {
        // One button that runs all of the stage's fixes as one install, stopping at the
        // first failure.
        struct GroupedInstall {
            QString title;
            QString installID;
            QString accessibilityID;
            bool operator==(const GroupedInstall&) const = default;
        };
        // One checkbox per item; the selected items' fixes run as one install, going on
        // past failures.
        struct CaskMultiselect {
            QString title;
            QString installID;
            QList<CaskChoice> items;
            bool operator==(const CaskMultiselect&) const = default;
        };
        struct LanguagesMultiselect {
            bool operator==(const LanguagesMultiselect&) const = default;
        };
        struct ProjectActions {
            bool operator==(const ProjectActions&) const = default;
        };
        struct SkillsMultiselect {
            bool operator==(const SkillsMultiselect&) const = default;
        };
        struct MCPMultiselect {
            bool operator==(const MCPMultiselect&) const = default;
        };
        struct GitActions {
            bool operator==(const GitActions&) const = default;
        };

        std::variant<GroupedInstall, CaskMultiselect, LanguagesMultiselect, ProjectActions,
                     SkillsMultiselect, MCPMultiselect, GitActions>
            value;

        static SpecialStageKind groupedInstall(QString title, QString installID,
                                               QString accessibilityID) {
            return {
                GroupedInstall{std::move(title), std::move(installID), std::move(accessibilityID)}};
        }
        static SpecialStageKind caskMultiselect(QString title, QString installID,
                                                QList<CaskChoice> items) {
            return {CaskMultiselect{std::move(title), std::move(installID), std::move(items)}};
        }
        static SpecialStageKind languagesMultiselect() { return {LanguagesMultiselect{}}; }
        static SpecialStageKind projectActions() { return {ProjectActions{}}; }
        static SpecialStageKind skillsMultiselect() { return {SkillsMultiselect{}}; }
        static SpecialStageKind mcpMultiselect() { return {MCPMultiselect{}}; }
        static SpecialStageKind gitActions() { return {GitActions{}}; }
        template <class Case> const Case* as() const { return std::get_if<Case>(&value); }
        bool operator==(const SpecialStageKind&) const = default;
    };

    // Empty callbacks are absent.
    using StageBlockedCallback =
        std::function<void(const QString& domainID, const SetupProbeBundle& probes)>;
    // `answer` is "resolved" or "not_resolved"; the outcome is the verifier's engineOutcome.
    using OutcomeReportedCallback =
        std::function<void(const std::optional<QString>& engineOutcome, const QString& answer)>;
    using OpenableAppsFunction =
        std::function<QList<OpenableApp>(const std::optional<SystemProfile>& profile,
                                         const std::optional<SetupVerificationResult>& result)>;

    QSet<QString> summaryExcludedDomains;
    QMap<QString, SpineOffer> offers;
    QSet<QString> homebrewIndependentDomains{QStringLiteral("clt"), QStringLiteral("homebrew")};
    // Stages that still advance after an install that failed.
    QSet<QString> advanceOnPartialFailureDomains;
    QMap<QString, QString> stageArticlePaths;
    QString fallbackArticlePath;
    // The reason shown for the administrator password, unless the fix has its own.
    std::optional<QString> privilegedActionReason;
    QMap<QString, QString> privilegedReasons; // by fix id
    StageBlockedCallback onStageBlocked;      // once per domain shown as blocked
    std::optional<InterstitialScreen> postPrimaryInterstitial;
    // The readiness checks before the first stage; null means no check. Shared and never
    // changed once a policy holds them.
    std::shared_ptr<const NetworkReadinessConfig> networkReadiness;
    std::shared_ptr<const DiskReadinessConfig> diskReadiness;
    QMap<QString, QString> remediationCaptions; // by fix id, in place of the fix's detail
    OutcomeReportedCallback onOutcomeReported;
    OpenableAppsFunction outcomeOpenableApps;
    QMap<QString, SpecialStageKind> specialStages; // by domain id
};

} // namespace tovr
