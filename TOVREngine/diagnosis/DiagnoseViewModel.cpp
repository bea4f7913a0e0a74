#include "diagnosis/DiagnoseViewModel.h"

#include "model/ProductConfig.h"
#include "platform/SystemProfiler.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"

namespace tovr {

namespace {

// A whole decimal integer: one optional sign, then ASCII digits only, within 64 bits.
std::optional<qint64> wholeInteger(QStringView text) {
    const qsizetype start = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
    if (text.size() == start)
        return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The major version jEnv registers a JDK under: the first dotted piece of its version,
// else the whole version, else the recommended major.
qint64 jenvMajor(const QString& version) {
    const QStringList pieces = version.split(u'.', Qt::SkipEmptyParts);
    const QString first = pieces.isEmpty() ? QString() : pieces.first();
    if (auto major = wholeInteger(first))
        return *major;
    if (auto major = wholeInteger(version))
        return *major;
    return kRecommendedJavaMajorVersion;
}

// The fixes that are not about Java end on the completion screen, not in a verification.
bool endsWithoutVerification(const Remediation& remediation) {
    return remediation.as<Remediation::InstallWarpViaBrew>() ||
           remediation.as<Remediation::InstallHomebrewThenWarp>() ||
           remediation.as<Remediation::InstallHomebrew>();
}

// The path up to the last entry of this screen: the entry the host is building it for.
QList<Screen> anchorOf(const QList<Screen>& path) {
    const qsizetype index = path.lastIndexOf(Screen::diagnose());
    return index < 0 ? path : path.mid(0, index + 1);
}

} // namespace

DiagnoseViewModel::DiagnoseViewModel(QObject* parent) : QObject(parent) {}

DiagnoseViewModel::DiagnoseViewModel(ScreenContext context, QObject* parent)
    : QObject(parent), context_(std::move(context)) {
    if (context_.navigation) {
        anchor_ = anchorOf(context_.navigation->path());
        connect(context_.navigation, &AppNavigation::changed, this,
                &DiagnoseViewModel::navigationChanged);
    }
}

DiagnoseViewModel::~DiagnoseViewModel() {
    for (const auto& task : {profiling_, verifying_, followUp_})
        if (task)
            task->cancel();
}

void DiagnoseViewModel::setState(State state) {
    state_ = std::move(state);
    ++stateSerial_;
    Q_EMIT changed();
}

void DiagnoseViewModel::diagnose(const SystemProfile& profile) {
    const auto judge = ProductConfig::current().diagnosisProfile;
    const Diagnosis diagnosis =
        judge ? judge->diagnose(profile.javaState) : Diagnosis::noErrorsFound();
    std::optional<Remediation> d2;
    if (diagnosis.kind() == Diagnosis::Kind::D2_HomeUnset && diagnosis.detectedJDK())
        d2 = recommendedRemediation(*diagnosis.detectedJDK(), profile);
    // Sent first: the screen's detail view reports its own events as it comes on screen.
    sendUsageEvent(javaDiagnosisReachedEvent(diagnosis, profile));
    setState(Diagnosed{diagnosis, std::nullopt, d2});
}

Remediation DiagnoseViewModel::remediationForMajor(qint64 major, const SystemProfile& profile) {
    const QString n = QString::number(major);
    if (profile.homebrewPrefix)
        return Remediation::installTemurinViaBrew(QStringLiteral("temurin@") + n);
    if (profile.sdkmanRoot)
        return Remediation::installViaSDKMAN(n + QStringLiteral("-tem"));
    if (profile.miseExecutable)
        return Remediation::installViaMise(QStringLiteral("temurin-") + n);
    if (profile.jenvRoot)
        return Remediation::installViaPKGThenJEnv(major);
    if (profile.isLikelyDeveloper())
        return Remediation::installHomebrewThenTemurin(QStringLiteral("temurin@") + n);
    return Remediation::installViaPKG(major);
}

Remediation DiagnoseViewModel::recommendedRemediation(const JDKInfo& jdk,
                                                      const SystemProfile& profile) {
    if (profile.sdkmanRoot)
        return Remediation::setJavaHomeViaSDKMAN(jdk.version + QStringLiteral("-tem"));
    if (profile.miseExecutable)
        return Remediation::setJavaHomeViaMise(QStringLiteral("temurin-") + jdk.version);
    if (profile.jenvRoot)
        return Remediation::setJavaHomeViaJenv(jdk.path, jenvMajor(jdk.version));
    return Remediation::writeJavaHomeToZprofile(jdk.path);
}

bool DiagnoseViewModel::isJavaHomeKind(const Remediation& remediation) {
    return remediation.as<Remediation::WriteJavaHomeToZprofile>() ||
           remediation.as<Remediation::SetJavaHomeViaSDKMAN>() ||
           remediation.as<Remediation::SetJavaHomeViaMise>() ||
           remediation.as<Remediation::SetJavaHomeViaJenv>() ||
           remediation.as<Remediation::KeepCurrentLegacyJava>();
}

DiagnoseViewModel::VerifyOutcome DiagnoseViewModel::verifyOutcome(const Remediation& remediation,
                                                                  const Verifier::Result& result) {
    const bool javaHomeKind = isJavaHomeKind(remediation);
    if (!result.isPassing(javaHomeKind))
        return VerifyOutcome::failed;
    if (javaHomeKind)
        return VerifyOutcome::passed;
    if (!result.javaHomeValue || result.javaHomeValue->isEmpty())
        return VerifyOutcome::passedNeedsJavaHome;
    return VerifyOutcome::passed;
}

QString DiagnoseViewModel::verifyTitle(const Remediation& remediation, VerifyOutcome outcome) {
    const bool javaHomeKind = isJavaHomeKind(remediation);
    if (outcome == VerifyOutcome::failed)
        return javaHomeKind ? QStringLiteral("Java configuration incomplete")
                            : QStringLiteral("Java install incomplete");
    return javaHomeKind ? QStringLiteral("Java configured") : QStringLiteral("Java installed");
}

QString DiagnoseViewModel::verifyExplainer(VerifyOutcome outcome) {
    switch (outcome) {
    case VerifyOutcome::passed:
        return QStringLiteral("Here's the actual output from a fresh `'java -version'`.");
    case VerifyOutcome::passedNeedsJavaHome:
        return QStringLiteral("Java is installed, but your shell doesn't know where to find it "
                              "yet. One more step.");
    case VerifyOutcome::failed:
        break;
    }
    return QStringLiteral("The remediation completed but Java still isn't running correctly. "
                          "Read the article.");
}

std::optional<QString> DiagnoseViewModel::legacyWarning(const Remediation& remediation,
                                                        const Verifier::Result& result) {
    if (!remediation.as<Remediation::KeepCurrentLegacyJava>() || !result.isPassing(true))
        return std::nullopt;
    const auto major = parseJavaMajorVersion(result.javaVersionOutput);
    return QStringLiteral("JAVA_HOME is now set, but Java ") +
           (major ? QString::number(*major) : QStringLiteral("this old version")) +
           QStringLiteral(" cannot run software that requires a newer Java.");
}

std::function<SystemProfile()> DiagnoseViewModel::profileWork() const {
    const SystemProfiler profiler{ShellRunner{context_.services.processRunner},
                                  context_.services.fs, context_.environment};
    return [profiler] { return profiler.profile(); };
}

void DiagnoseViewModel::rediagnose() {
    if (left_ || freshProfile_ || profiling_ || !context_.services.processRunner)
        return;
    if (context_.services.isFixtureMode && context_.currentProfile()) {
        freshProfile_ = context_.currentProfile();
        diagnoseFresh();
        return;
    }
    profiling_ = runInBackground(
        this, [work = profileWork()](WorkerTask&) { return work(); },
        [this](SystemProfile profile) {
            profiling_.reset();
            if (left_)
                return;
            freshProfile_ = std::move(profile);
            diagnoseFresh();
        });
}

void DiagnoseViewModel::diagnoseFresh() {
    // A state the user has already moved on from keeps its place.
    if (std::holds_alternative<Probing>(state_))
        diagnose(*freshProfile_);
    else
        Q_EMIT changed();
}

void DiagnoseViewModel::applyRemediation(const Remediation& remediation) {
    const auto* shown = std::get_if<Diagnosed>(&state_);
    if (left_ || !shown)
        return;
    const Diagnosed diagnosed = *shown;
    startRemediation(remediation, diagnosed.diagnosis, diagnosed.d1Remediation,
                     diagnosed.d2Remediation);
}

void DiagnoseViewModel::installChosenJava(qint64 major) {
    const auto* shown = std::get_if<Diagnosed>(&state_);
    const auto profile = freshProfile_ ? freshProfile_ : context_.currentProfile();
    if (left_ || !shown || !profile)
        return;
    const Remediation remediation = remediationForMajor(major, *profile);
    startRemediation(remediation, Diagnosis(shown->diagnosis), remediation, std::nullopt);
}

void DiagnoseViewModel::keepLegacyJava() {
    const auto* shown = std::get_if<Diagnosed>(&state_);
    if (left_ || !shown || shown->diagnosis.kind() != Diagnosis::Kind::D3_LegacyOnly ||
        !shown->diagnosis.detectedJDK())
        return;
    const Remediation remediation =
        Remediation::keepCurrentLegacyJava(shown->diagnosis.detectedJDK()->path);
    startRemediation(remediation, Diagnosis(shown->diagnosis), std::nullopt, remediation);
}

void DiagnoseViewModel::startRemediation(const Remediation& remediation, const Diagnosis& diagnosis,
                                         std::optional<Remediation> d1,
                                         std::optional<Remediation> d2) {
    cancelFollowUp();
    lastDiagnosis_ = diagnosis;
    lastD1Remediation_ = std::move(d1);
    lastD2Remediation_ = std::move(d2);
    trackRemediationApplied(remediation);
    sheetRemediation_ = remediation;
    ++sheetSerial_;
    setState(Remediating{remediation});
}

void DiagnoseViewModel::handleRemediationFinished(const RemediationOutcome& outcome) {
    if (left_ || !sheetRemediation_)
        return;
    const Remediation remediation = *std::exchange(sheetRemediation_, std::nullopt);
    switch (outcome.kind) {
    case RemediationOutcome::Kind::success:
        if (endsWithoutVerification(remediation))
            setState(Completed{outcome.message});
        else
            startVerification(remediation);
        return;
    case RemediationOutcome::Kind::failure:
        setState(Error{outcome.message});
        return;
    case RemediationOutcome::Kind::canceled:
        break;
    }
    if (lastDiagnosis_)
        setState(Diagnosed{*lastDiagnosis_, lastD1Remediation_, lastD2Remediation_});
    else
        Q_EMIT changed(); // the sheet has closed
}

void DiagnoseViewModel::startVerification(const Remediation& remediation) {
    setState(Verifying{remediation});
    const Verifier verifier{ShellRunner{context_.services.processRunner}};
    verifying_ = verifier.verifyInBackground(this, [this, remediation](Verifier::Result result) {
        verifying_.reset();
        if (left_)
            return;
        if (result.isPassing(isJavaHomeKind(remediation))) {
            const auto* legacy = remediation.as<Remediation::KeepCurrentLegacyJava>();
            sendUsageEvent(
                legacy ? verifyPassedWithLegacyEvent(result.javaVersionOutput, legacy->jdkPath)
                       : verifyPassedEvent(result.javaVersionOutput));
        } else {
            trackVerifyFailed(result.javaVersionOutput, result.javaVersionExitCode);
        }
        recordVerifyResult(result);
    });
}

void DiagnoseViewModel::recordVerifyResult(const Verifier::Result& result) {
    const auto* verifying = std::get_if<Verifying>(&state_);
    if (left_ || !verifying)
        return;
    const Remediation remediation = verifying->remediation;
    setState(Verified{remediation, result});
    offerFollowUpIfShown();
}

void DiagnoseViewModel::offerFollowUpIfShown() {
    const auto* verified = std::get_if<Verified>(&state_);
    if (verified && verifyOutcome(verified->remediation, verified->result) ==
                        VerifyOutcome::passedNeedsJavaHome)
        sendUsageEvent({QStringLiteral("verify_offered_followup"),
                        {{QStringLiteral("first_remediation_id"),
                          telemetryRemediationID(verified->remediation)}}});
}

void DiagnoseViewModel::returnToDiagnosis() {
    const bool offersBack =
        std::holds_alternative<Error>(state_) || std::holds_alternative<Verified>(state_);
    if (left_ || !offersBack || !lastDiagnosis_)
        return;
    cancelFollowUp();
    setState(Diagnosed{*lastDiagnosis_, lastD1Remediation_, lastD2Remediation_});
}

void DiagnoseViewModel::startJavaHomeFollowUp() {
    const auto* verified = std::get_if<Verified>(&state_);
    if (left_ || followUp_ || !verified || !context_.services.processRunner ||
        verifyOutcome(verified->remediation, verified->result) !=
            VerifyOutcome::passedNeedsJavaHome)
        return;
    // Always a fresh profile: the fix just installed a JDK the earlier one cannot know.
    followUp_ = runInBackground(
        this, [work = profileWork()](WorkerTask&) { return work(); },
        [this](SystemProfile profile) {
            followUp_.reset();
            // The user went back or on meanwhile.
            if (left_ || !std::holds_alternative<Verified>(state_)) {
                Q_EMIT changed();
                return;
            }
            finishJavaHomeFollowUp(profile);
        });
    Q_EMIT changed();
}

void DiagnoseViewModel::finishJavaHomeFollowUp(const SystemProfile& profile) {
    freshProfile_ = profile;
    const auto& jdks = profile.javaState.installedJDKs;
    if (jdks.isEmpty()) {
        pushContinueRoute(lastDiagnosis_);
        Q_EMIT changed();
        return;
    }
    const JDKInfo& first = jdks.first();
    const Remediation remediation = recommendedRemediation(first, profile);
    startRemediation(remediation, Diagnosis::D2_HomeUnset(first), std::nullopt, remediation);
}

bool DiagnoseViewModel::cancelFollowUp() {
    auto task = std::exchange(followUp_, nullptr);
    if (task)
        task->cancel();
    return task != nullptr;
}

void DiagnoseViewModel::continueFlow() {
    if (const auto* diagnosed = std::get_if<Diagnosed>(&state_))
        pushContinueRoute(diagnosed->diagnosis);
    else if (std::holds_alternative<Verified>(state_) || std::holds_alternative<Completed>(state_))
        pushContinueRoute(lastDiagnosis_);
}

void DiagnoseViewModel::pushContinueRoute(const std::optional<Diagnosis>& diagnosis) {
    // A second press, or a late result, finds another screen on top and adds nothing.
    if (left_ || !context_.navigation || context_.navigation->path() != anchor_)
        return;
    // The user went on: a follow-up still profiling opens nothing behind the next screen.
    const bool canceledFollowUp = cancelFollowUp();
    auto path = context_.navigation->path();
    if (ProductConfig::current().nextStepPrompt) {
        path.append(Screen::nextStep());
    } else {
        const CompletionSurface surface =
            diagnosis ? diagnosis->completionSurface()
                      : CompletionSurface::prompt(BuildIntentSurface::postFix);
        path.append(Screen::audit(AuditContext{AuditEntry::heuristic, surface, std::nullopt}));
    }
    context_.navigation->setPath(std::move(path));
    if (canceledFollowUp)
        Q_EMIT changed();
}

void DiagnoseViewModel::navigationChanged() {
    const auto& path = context_.navigation->path();
    if (left_)
        return;
    if (path.size() < anchor_.size() || path.mid(0, anchor_.size()) != anchor_) {
        leave();
        return;
    }
    // Back on top after the screens the user went on to: the follow-up is offered anew (each
    // showing counts, not every change of the path).
    const bool covered = path.size() > anchor_.size();
    if (std::exchange(covered_, covered) && !covered)
        offerFollowUpIfShown();
}

void DiagnoseViewModel::leave() {
    // Popped: nothing that arrives later may act on a screen the user has left.
    left_ = true;
    for (auto* task : {&profiling_, &verifying_, &followUp_})
        if (auto running = std::exchange(*task, nullptr))
            running->cancel();
}

} // namespace tovr
