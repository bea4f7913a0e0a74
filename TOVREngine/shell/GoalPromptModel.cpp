#include "shell/GoalPromptModel.h"

#include "telemetry/TelemetryText.h"
#include "telemetry/UsageEvent.h"

namespace tovr {

GoalPromptModel::GoalPromptModel(GoalPrompt prompt, std::function<void(const QString&)> onContinue,
                                 QObject* parent)
    : QObject(parent), prompt_(std::move(prompt)), onContinue_(std::move(onContinue)) {}

std::optional<GoalOption> GoalPromptModel::selectedOption() const {
    if (!selectedKey_)
        return std::nullopt;
    for (const auto& option : prompt_.options)
        if (option.key == *selectedKey_)
            return option;
    return std::nullopt;
}

bool GoalPromptModel::asksForDetail() const {
    const auto option = selectedOption();
    return option && option->detailPrompt.has_value();
}

void GoalPromptModel::select(const QString& key) {
    selectedKey_ = key;
    if (!asksForDetail())
        detail_.clear();
    Q_EMIT changed();
}

void GoalPromptModel::setDetail(const QString& text) {
    const QString limited = stringPrefix(text, maxChars());
    if (limited == detail_ && limited == text)
        return;
    detail_ = limited;
    Q_EMIT changed();
}

std::optional<QString> GoalPromptModel::cleanedDetail(const QString& detail, qint64 maxChars) {
    QString kept;
    kept.reserve(detail.size());
    for (const char32_t scalar : detail.toUcs4()) {
        const auto category = QChar::category(scalar);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            continue;
        kept.append(QString::fromUcs4(&scalar, 1));
    }
    const QString cut = stringPrefix(kept.trimmed(), std::max<qint64>(maxChars, 0));
    if (cut.isEmpty())
        return std::nullopt;
    return cut;
}

void GoalPromptModel::submit() {
    if (!selectedKey_)
        return;
    const QString key = *selectedKey_;
    JSONValue detail = JSONValue::null();
    if (asksForDetail())
        if (const auto cleaned = cleanedDetail(detail_, maxChars()))
            detail = JSONValue(*cleaned);
    sendUsageEvent(
        {QStringLiteral("goal_selected"),
         {{"goal", JSONValue(key)}, {"detail", detail}, {"surface", JSONValue(prompt_.surface)}}});
    if (onContinue_)
        onContinue_(key);
}

} // namespace tovr
