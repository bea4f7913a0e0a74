#include "diagnosis/views/RemediationSheetParts.h"

#include "ui/views/ScreenScaffold.h"
#include "ui/views/Typography.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tovr {

namespace {

// One line a change adds ("+ " first) or keeps, monospaced and selectable.
QLabel* makeListingRow(const QString& text, bool added, QWidget* parent) {
    auto* row = makePlainLabel(text, TextStyle::caption, parent);
    row->setWordWrap(false);
    applyMonospace(row);
    if (added)
        applyTone(row, Tone::success);
    return row;
}

} // namespace

QFrame* makeTextBox(const QString& objectName, QWidget* parent) {
    auto* box = new QFrame(parent);
    box->setObjectName(objectName);
    applySurface(box, Surface::textBox);
    return box;
}

QProgressBar* makeSpinner(QWidget* parent, const QString& accessibleName) {
    auto* spinner = new QProgressBar(parent);
    spinner->setAccessibleName(accessibleName);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setMaximumSize(80, 10);
    return spinner;
}

QLabel* makeErrorLabel(QWidget* parent) {
    auto* label = makePlainLabel({}, TextStyle::footnote, parent);
    applyTone(label, Tone::failure);
    return label;
}

void setRows(QVBoxLayout* layout, QWidget* parent, const QList<std::pair<QString, bool>>& rows) {
    while (auto* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const auto& [text, added] : rows)
        layout->addWidget(makeListingRow(text, added, parent));
}

QWidget* makeHeader(const QString& title, const QString& subtitle,
                    const std::shared_ptr<URLOpening>& opener, QWidget* parent) {
    auto* header = new QWidget(parent);
    auto* stack = new QVBoxLayout(header);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    auto* titleLabel = makeMarkdownLabel(title, opener, TextStyle::title2, header, true);
    titleLabel->setObjectName(QStringLiteral("remediation-title"));
    stack->addWidget(titleLabel);
    auto* subtitleLabel = makeMarkdownLabel(subtitle, opener, TextStyle::footnote, header);
    applySecondaryStyle(subtitleLabel);
    subtitleLabel->setVisible(!subtitle.isEmpty());
    stack->addWidget(subtitleLabel);
    return header;
}

} // namespace tovr
