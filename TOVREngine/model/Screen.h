#pragma once

#include "model/AuditContext.h"

#include <QHashFunctions>
#include <QString>

#include <optional>
#include <variant>

namespace tovr {

struct NextStepOption;

// One destination of the window's navigation stack, above the welcome screen.
class Screen {
public:
    struct Diagnose {
        bool operator==(const Diagnose&) const = default;
    };
    struct SetupWorkflow {
        bool operator==(const SetupWorkflow&) const = default;
    };
    struct Audit {
        AuditContext context;
        bool operator==(const Audit&) const = default;
    };
    struct NextStep {
        bool operator==(const NextStep&) const = default;
    };
    struct ContentOffer {
        QString offerID;
        bool operator==(const ContentOffer&) const = default;
    };
    struct GuidedHelpOffer {
        bool operator==(const GuidedHelpOffer&) const = default;
    };
    struct AICodingOffer {
        bool operator==(const AICodingOffer&) const = default;
    };

    static Screen diagnose() { return Screen(Diagnose{}); }
    static Screen setupWorkflow() { return Screen(SetupWorkflow{}); }
    static Screen audit(AuditContext context) { return Screen(Audit{std::move(context)}); }
    static Screen nextStep() { return Screen(NextStep{}); }
    static Screen contentOffer(QString offerID) { return Screen(ContentOffer{std::move(offerID)}); }
    static Screen guidedHelpOffer() { return Screen(GuidedHelpOffer{}); }
    static Screen aiCodingOffer() { return Screen(AICodingOffer{}); }

    // Where the chosen next-step answer leads: the screen of its offer route; an audit
    // carries the choices and the route's follow-up and ends on no build-intent prompt.
    static Screen forNextStep(const NextStepOption& option,
                              const std::optional<QString>& selectedGoal);

    template <class Case> const Case* as() const { return std::get_if<Case>(&value_); }
    // The case's number, 0 to 6.
    size_t caseIndex() const { return value_.index(); }

    bool operator==(const Screen&) const = default;

private:
    using Value = std::variant<Diagnose, SetupWorkflow, Audit, NextStep, ContentOffer,
                               GuidedHelpOffer, AICodingOffer>;
    explicit Screen(Value value) : value_(std::move(value)) {}
    Value value_;
};

size_t qHash(const Screen& screen, size_t seed = 0);

} // namespace tovr
