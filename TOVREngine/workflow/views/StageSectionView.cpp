#include "workflow/views/StageSectionView.h"

#include "ui/views/Typography.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace tovr::stagerows {

namespace {

constexpr int kCaptionIndent = 20;

} // namespace

QLabel* makeCaption(const QString& text, QWidget* parent, bool small) {
    auto* label = makePlainLabel(text, TextStyle::caption, parent);
    if (small) {
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.92);
        label->setFont(font);
    }
    applySecondaryStyle(label);
    label->setContentsMargins(kCaptionIndent, 0, 0, 0);
    return label;
}

void applyWarningStyle(QWidget* widget) {
    applyTone(widget, Tone::warning);
}

void setCheckedQuietly(QAbstractButton* box, bool checked) {
    if (box->isChecked() == checked)
        return;
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

void setTextQuietly(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

void setTextQuietly(QLineEdit* field, const QString& text) {
    if (field->text() == text)
        return;
    const QSignalBlocker blocker(field);
    const int cursor = std::min<int>(field->cursorPosition(), text.size());
    field->setText(text);
    field->setCursorPosition(cursor);
}

void describe(QAbstractButton* box, const QStringList& lines) {
    QStringList shown = lines;
    shown.removeAll(QString());
    const QString description = shown.join(QLatin1Char('\n'));
    if (box->accessibleDescription() != description)
        box->setAccessibleDescription(description);
}

} // namespace tovr::stagerows
