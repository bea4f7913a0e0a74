#include "ui/views/Typography.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

namespace tovr {

namespace {

constexpr const char* kDefaultProperty = "tovrDefaultButton";
constexpr const char* kProminentProperty = "tovrProminentButton";

double scaleFor(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle:
        return 2.0;
    case TextStyle::title:
        return 1.7;
    case TextStyle::title2:
        return 1.4;
    case TextStyle::title3:
        return 1.2;
    case TextStyle::headline:
    case TextStyle::body:
        return 1.0;
    case TextStyle::callout:
        return 0.95;
    case TextStyle::subheadline:
        return 0.9;
    case TextStyle::footnote:
        return 0.85;
    case TextStyle::caption:
        return 0.8;
    }
    return 1.0;
}

} // namespace

void applyTextStyle(QWidget* widget, TextStyle style, bool semibold) {
    QFont font = QApplication::font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(base * scaleFor(style));
    if (semibold || style == TextStyle::headline)
        font.setWeight(QFont::DemiBold);
    widget->setFont(font);
}

void applySecondaryStyle(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    palette.setColor(QPalette::Text, palette.color(QPalette::PlaceholderText));
    widget->setPalette(palette);
}

void applyMonospace(QWidget* widget) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(widget->font().pointSizeF());
    widget->setFont(font);
}

QLabel* makePlainLabel(const QString& text, TextStyle style, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    applyTextStyle(label, style);
    return label;
}

QPushButton* makeButton(const QString& text, ButtonRole role, const QString& objectName,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setDefault(false);
    switch (role) {
    case ButtonRole::prominent: {
        QFont font = button->font();
        font.setWeight(QFont::DemiBold);
        button->setFont(font);
        button->setMinimumHeight(34);
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        button->setPalette(palette);
        button->setStyleSheet(
            "QPushButton { padding: 6px 18px; border-radius: 6px;"
            " background: palette(highlight); color: palette(highlighted-text); }"
            "QPushButton:disabled { background: palette(mid); color: palette(window); }"
            "QPushButton:pressed { background: palette(dark); }");
        break;
    }
    case ButtonRole::bordered:
        button->setStyleSheet("QPushButton { padding: 4px 12px; }");
        break;
    case ButtonRole::borderless:
        button->setFlat(true);
        button->setStyleSheet("QPushButton { text-align: left; padding: 4px 0px; border: none; }");
        break;
    case ButtonRole::link:
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet("QPushButton { color: palette(link); border: none; padding: 0;"
                              " text-align: left; }"
                              "QPushButton:hover { text-decoration: underline; }");
        break;
    }
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    button->setProperty(kProminentProperty, role == ButtonRole::prominent);
    return button;
}

void markDefaultButton(QPushButton* button) {
    button->setProperty(kDefaultProperty, true);
}

QPushButton* findDefaultButton(QWidget* page) {
    if (!page)
        return nullptr;
    // A marked button on show decides, even while disabled (nothing chosen yet); without
    // one, a page's only prominent button is what Return means.
    bool marked = false;
    QList<QPushButton*> prominent;
    for (auto* button : page->findChildren<QPushButton*>()) {
        if (!button->isVisible())
            continue;
        if (button->property(kDefaultProperty).toBool()) {
            if (button->isEnabled())
                return button;
            marked = true;
        }
        if (button->property(kProminentProperty).toBool())
            prominent.append(button);
    }
    if (marked || prominent.size() != 1 || !prominent.first()->isEnabled())
        return nullptr;
    return prominent.first();
}

} // namespace tovr
