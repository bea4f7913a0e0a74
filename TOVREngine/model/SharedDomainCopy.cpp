#include "model/SharedDomainCopy.h"

namespace tovr {

namespace {

SetupDiagnosis diagnosis(const SharedDomainCopy::State& state,
                         SetupDiagnosisClassification classification) {
    return {state.headline, state.detail, classification};
}

} // namespace

const SharedDomainCopy& SharedDomainCopy::standard() {
    static const SharedDomainCopy copy{
        {QStringLiteral("Command Line Tools are installed"),
         QString::fromUtf8(
             "Apple's Command Line Tools are present — required for Homebrew and Git.")},
        {QStringLiteral("Install Apple's Command Line Tools"),
         QStringLiteral("Homebrew and Git need Apple's Command Line Tools. We'll open Apple's "
                        "installer; it takes a few minutes.")},
        {QStringLiteral("Homebrew is installed"),
         QString::fromUtf8("Homebrew is present — we'll use it to install your tools coherently "
                           "and keep them updatable.")},
        {QStringLiteral("Homebrew isn't installed"),
         QString::fromUtf8("We'll install Homebrew first — it's how we install your tools as one "
                           "coherent, updatable, removable setup.")},
        {QStringLiteral("Warp is installed"), QStringLiteral("You already have Warp.")},
        {QString::fromUtf8("Try Warp — the AI-assisted terminal"),
         QStringLiteral("Warp is a modern macOS terminal we recommend.")},
    };
    return copy;
}

SetupDiagnosis SharedDomainCopy::cltDiagnosis(const SystemProfile& profile) const {
    return profile.xcodeCommandLineToolsPath
               ? diagnosis(cltReady, SetupDiagnosisClassification::ready)
               : diagnosis(cltFixable, SetupDiagnosisClassification::fixable);
}

SetupDiagnosis SharedDomainCopy::homebrewDiagnosis(const SystemProfile& profile) const {
    return profile.homebrewPrefix
               ? diagnosis(homebrewReady, SetupDiagnosisClassification::ready)
               : diagnosis(homebrewFixable, SetupDiagnosisClassification::fixable);
}

} // namespace tovr
