#include "ui/views/Typography.h"

#include "ui/views/AccessibleText.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPointer>
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

// The enabled look again, for a button that only an open sheet in front of it disables.
QString behindSheet(const QString& look, const QString& state = {}) {
    return QStringLiteral("QPushButton[%1=\"true\"]:disabled%2 { %3 }")
        .arg(QLatin1String(kBehindSheetProperty), state, look);
}

// What the roles' sheets share: the focus ring, the quiet edge, the disabled text and the
// plain text colour.
struct ButtonInk {
    explicit ButtonInk(const QPalette& palette)
        : ring(cssColor(focusRingColor(palette))),
          edge(cssColor(toneColor(Tone::secondary, palette), 0.45)),
          disabledText(cssColor(palette.color(QPalette::Disabled, QPalette::ButtonText))),
          text(QStringLiteral("color: %1;").arg(cssColor(palette.color(QPalette::ButtonText)))) {}

    // A button drawn without a frame: the ring shows in its transparent border.
    QString frameless() const {
        return QStringLiteral("QPushButton:focus { border-color: %1; }"
                              "QPushButton:disabled { color: %2; }")
            .arg(ring, disabledText);
    }

    QString ring, edge, disabledText, text;
};

QString prominentSheet(const QPalette& palette, const ButtonInk& ink) {
    const QColor onFill = palette.color(QPalette::HighlightedText);
    const QColor fill = fillUnder(palette.color(QPalette::Highlight), onFill);
    const QColor pressed = mixColors(fill, onFill, 0.2);
    const QString look = QStringLiteral("padding: 4px 16px; border-radius: 6px;"
                                        " border: 2px solid %1; background: %1; color: %2;")
                             .arg(cssColor(fill), cssColor(onFill));
    // The ring must stand out from the filled button itself, so it takes the text colour.
    return QStringLiteral("QPushButton { %1 }"
                          "QPushButton:focus { border-color: %2; }"
                          "QPushButton:pressed { background: %3; }"
                          "QPushButton:disabled { background: %4; color: %5; border: 1px solid"
                          " %6; padding: 5px 17px; }")
               .arg(look, cssColor(palette.color(QPalette::WindowText)), cssColor(pressed),
                    cssColor(palette.color(QPalette::Disabled, QPalette::Button)), ink.disabledText,
                    ink.edge) +
           behindSheet(look);
}

QString borderedSheet(const QPalette& palette, const ButtonInk& ink) {
    return QStringLiteral(
               "QPushButton { padding: 4px 12px; border-radius: 6px; border: 1px solid %1;"
               " background: %2; margin: 1px; }"
               "QPushButton:focus { border: 2px solid %3; margin: 0px; }"
               "QPushButton:pressed { background: %4; }"
               "QPushButton:disabled { color: %5; }")
               .arg(ink.edge, cssColor(palette.color(QPalette::Button)), ink.ring,
                    cssColor(palette.color(QPalette::Button).darker(115)), ink.disabledText) +
           behindSheet(ink.text);
}

QString borderlessSheet(const ButtonInk& ink) {
    return QStringLiteral("QPushButton { text-align: left; padding: 2px 2px; border-radius: 4px;"
                          " border: 2px solid transparent; background: transparent; outline: none;"
                          " %1 }")
               .arg(ink.text) +
           ink.frameless() + behindSheet(ink.text);
}

QString linkSheet(const QPalette& palette, const ButtonInk& ink) {
    const QString look =
        QStringLiteral("color: %1;")
            .arg(cssColor(readableOn(palette.color(QPalette::Link), palette, kTextContrast)));
    return QStringLiteral("QPushButton { %1 border: 2px solid transparent;"
                          " background: transparent; outline: none; border-radius: 4px; padding: 0;"
                          " text-align: left; }"
                          "QPushButton:hover { text-decoration: underline; }")
               .arg(look) +
           ink.frameless() + behindSheet(look);
}

QString scoreSheet(const QPalette& palette, const ButtonInk& ink) {
    const QColor onFill = palette.color(QPalette::HighlightedText);
    const QString checked =
        QStringLiteral("background: %1; color: %2; border-color: %1;"
                       " font-weight: 600;")
            .arg(cssColor(fillUnder(palette.color(QPalette::Highlight), onFill)), cssColor(onFill));
    return QStringLiteral("QPushButton { background: transparent; %1"
                          " border-radius: 4px; border: 1px solid %2; }"
                          "QPushButton:checked { %3 }"
                          "QPushButton:focus { border: 2px solid %4; }"
                          "QPushButton:disabled { color: %5; }")
               .arg(ink.text, ink.edge, checked, cssColor(palette.color(QPalette::WindowText)),
                    ink.disabledText) +
           behindSheet(ink.text) + behindSheet(checked, QStringLiteral(":checked"));
}

QString buttonSheet(ButtonRole role, const QPalette& palette) {
    const ButtonInk ink(palette);
    switch (role) {
    case ButtonRole::prominent:
        return prominentSheet(palette, ink);
    case ButtonRole::bordered:
        return borderedSheet(palette, ink);
    case ButtonRole::borderless:
        return borderlessSheet(ink);
    case ButtonRole::link:
        return linkSheet(palette, ink);
    case ButtonRole::score:
        return scoreSheet(palette, ink);
    }
    return {};
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

void applyMonospace(QWidget* widget) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(widget->font().pointSizeF());
    widget->setFont(font);
}

namespace {

// Ctrl+C (Cmd-C) copies the text selected in a label of the window, wherever its focus is:
// labels take no focus, so the key goes to a control. One that copies a selection of its own
// (a field, a log, a focused label) keeps the key.
class LabelCopy : public QObject {
public:
    static void install() {
        static auto* copy = new LabelCopy(qApp);
        Q_UNUSED(copy);
    }
    // None until a label has become selectable.
    static inline QPointer<LabelCopy> installed;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        if (event->type() == QEvent::MouseButtonRelease) {
            if (auto* label = qobject_cast<QLabel*>(watched); label && label->hasSelectedText())
                lastSelected_ = label;
            return false;
        }
        if (event->type() != QEvent::KeyPress ||
            !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QAbstractScrollArea*>(widget))
            return false;
        const QString text = selectionIn(widget->window());
        if (text.isEmpty())
            return false;
        QGuiApplication::clipboard()->setText(text);
        return true;
    }

    // The selection made last, else any label's.
    QString selectionIn(QWidget* window) const {
        if (lastSelected_ && lastSelected_->window() == window && lastSelected_->hasSelectedText())
            return lastSelected_->selectedText();
        for (auto* label : window->findChildren<QLabel*>())
            if (label->window() == window && label->isVisible() && label->hasSelectedText())
                return label->selectedText();
        return {};
    }

private:
    explicit LabelCopy(QObject* app) : QObject(app) {
        app->installEventFilter(this);
        installed = this;
    }

    QPointer<QLabel> lastSelected_;
};

} // namespace

QString selectedLabelText(QWidget* window) {
    return window && LabelCopy::installed ? LabelCopy::installed->selectionIn(window) : QString();
}

namespace {

void makeSelectable(QLabel* label) {
    LabelCopy::install();
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Selecting by mouse would make it a click-focus widget, which a screen reader announces
    // as focusable although Tab never stops on it.
    label->setFocusPolicy(Qt::NoFocus);
}

// A selectable label lays its text out through a text document, several times the work of a
// plain one, again for every width a layout asks about; a page has dozens and lays them out
// before its first paint. So a label turns selectable when a pointer first comes to it, before
// the press that starts a selection reaches it.
class SelectableOnPointer : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseButtonPress) {
            watched->removeEventFilter(this);
            makeSelectable(static_cast<QLabel*>(watched));
            deleteLater();
        }
        return false;
    }
};

// A label that remembers the heights it measured. Before the first paint a page's layouts ask
// each wrapped label for its height at the same few widths many times over, and a label lays
// its text out afresh for every question (a rich-text one through a whole text document).
class MeasuredLabel : public QLabel {
public:
    using QLabel::QLabel;

    int heightForWidth(int width) const override {
        Measured measured{text(),   textFormat(), font(),    contentsMargins(),
                          margin(), indent(),     wordWrap()};
        if (!(measured == measured_)) {
            measured_ = std::move(measured);
            heights_.clear();
        }
        for (const auto& [knownWidth, height] : std::as_const(heights_))
            if (knownWidth == width)
                return height;
        const int height = QLabel::heightForWidth(width);
        if (heights_.size() == 4)
            heights_.removeFirst();
        heights_.append({width, height});
        return height;
    }

private:
    // What the height depends on besides the width.
    struct Measured {
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QFont font;
        QMargins contents;
        int margin = 0;
        int indent = 0;
        bool wordWrap = false;
        bool operator==(const Measured&) const = default;
    };
    mutable Measured measured_;
    mutable QList<std::pair<int, int>> heights_;
};

// A list item: its bullet painted before the text, in the secondary tone, so that a screen
// reader hears the item once, by its words.
class BulletLabel final : public MeasuredLabel {
public:
    explicit BulletLabel(QWidget* parent) : MeasuredLabel(parent) { makeRoom(); }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange)
            makeRoom();
        MeasuredLabel::changeEvent(event);
    }

    void paintEvent(QPaintEvent* event) override {
        MeasuredLabel::paintEvent(event);
        QPainter painter(this);
        painter.setPen(toneColor(Tone::secondary, palette()));
        painter.drawText(QRect(0, contentsRect().top(), contentsMargins().left(), height()),
                         Qt::AlignLeft | Qt::AlignTop, bullet());
    }

private:
    static constexpr int kGap = 8;
    static QString bullet() { return QStringLiteral("•"); }
    void makeRoom() {
        setContentsMargins(fontMetrics().horizontalAdvance(bullet()) + kGap, 0, 0, 0);
    }
};

QLabel* showPlainText(QLabel* label, const QString& text, TextStyle style) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setFocusPolicy(Qt::NoFocus);
    label->installEventFilter(new SelectableOnPointer(label));
    applyTextStyle(label, style);
    return label;
}

} // namespace

QLabel* makePlainLabel(const QString& text, TextStyle style, QWidget* parent) {
    return showPlainText(new MeasuredLabel(parent), text, style);
}

QLabel* makeMeasuredLabel(QWidget* parent) {
    return new MeasuredLabel(parent);
}

QLabel* makeBulletLabel(const QString& text, TextStyle style, QWidget* parent) {
    auto* label = showPlainText(new BulletLabel(parent), text, style);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* makeHeadingLabel(const QString& text, TextStyle style, QWidget* parent) {
    auto* label = new MeasuredLabel(parent);
    markAsHeading(label);
    showPlainText(label, text, style);
    applyTextStyle(label, style, true);
    return label;
}

QPushButton* makeButton(const QString& text, ButtonRole role, const QString& objectName,
                        QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Marked before it has words: a screen reader keeps the first description it is given.
    if (role == ButtonRole::link)
        markAsLink(button);
    button->setText(text);
    button->setObjectName(objectName);
    if (const QString spoken = spokenWords(text); spoken != text)
        button->setAccessibleName(spoken);
    button->setAutoDefault(false);
    button->setDefault(false);
    switch (role) {
    case ButtonRole::prominent: {
        QFont font = button->font();
        font.setWeight(QFont::DemiBold);
        button->setFont(font);
        button->setMinimumHeight(34);
        break;
    }
    case ButtonRole::bordered:
        break;
    case ButtonRole::borderless:
    case ButtonRole::link:
        button->setFlat(true);
        break;
    case ButtonRole::score:
        button->setCheckable(true);
        break;
    }
    if (role == ButtonRole::link)
        button->setCursor(Qt::PointingHandCursor);
    followPalette(button, [button, role] {
        button->setStyleSheet(buttonSheet(role, QApplication::palette()));
    });
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    button->setProperty(kProminentProperty, role == ButtonRole::prominent);
    return button;
}

QCheckBox* makeCheckBox(const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    applyCheckBoxStyle(box);
    // No wider than its words, so its focus ring hugs them in a column that fills the page.
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return box;
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
