#include "ui/views/Typography.h"

#include "ui/views/AccessibleText.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QtMath>

namespace tovr {

namespace {

constexpr const char* kDefaultProperty = "tovrDefaultButton";
constexpr const char* kProminentProperty = "tovrProminentButton";
constexpr const char* kToneProperty = "tovrTone";
constexpr const char* kPlaceholderProperty = "tovrPlaceholderTone";
constexpr const char* kToneKeptProperty = "tovrToneKept";
constexpr const char* kSurfaceProperty = "tovrSurface";

// Text aims a little above 4.5:1, so it still reads on the tinted boxes some of it sits on.
constexpr double kTextContrast = 5.0;
// Focus rings and the edges of controls.
constexpr double kEdgeContrast = 3.0;

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

double luminance(const QColor& colour) {
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

bool isDark(const QPalette& palette) {
    return luminance(palette.color(QPalette::Window)) < 0.2;
}

QColor mix(const QColor& from, const QColor& to, double amount) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

// `colour` moved towards black (on a light palette) or white (on a dark one) until it
// reaches `ratio` against both the window and the text background.
QColor readable(const QColor& colour, const QPalette& palette, double ratio) {
    const QColor window = palette.color(QPalette::Window);
    const QColor base = palette.color(QPalette::Base);
    const QColor away = isDark(palette) ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step < 20; ++step) {
        const QColor candidate = mix(colour, away, step / 20.0);
        if (contrastRatio(candidate, window) >= ratio && contrastRatio(candidate, base) >= ratio)
            return candidate;
    }
    return away;
}

// `fill` darkened or lightened until `text` reads on it.
QColor fillUnder(const QColor& fill, const QColor& text) {
    const QColor away = luminance(text) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 0; step < 20; ++step) {
        const QColor candidate = mix(fill, away, step / 20.0);
        if (contrastRatio(candidate, text) >= kTextContrast)
            return candidate;
    }
    return away;
}

QString css(const QColor& colour, double opacity = 1.0) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(qRound(255 * opacity));
}

QColor focusRing(const QPalette& palette) {
    return readable(palette.color(QPalette::Highlight), palette, kEdgeContrast);
}

// A style sheet fixes a widget's palette (and its children's) when it is polished, and
// colours made from the palette once stay as they were made; so on a change of the
// application's palette (dark mode) the widgets with a style sheet are polished again and
// then every follower runs. Both wait until the new palette has reached every widget.
class PaletteWatcher : public QObject {
public:
    static PaletteWatcher& shared() {
        static auto* watcher = new PaletteWatcher(qApp);
        return *watcher;
    }

    void add(QObject* follower, std::function<void()> apply) {
        if (followers_.size() % 256 == 255)
            prune();
        followers_.append({follower, std::move(apply)});
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && !pending_) {
            pending_ = true;
            QMetaObject::invokeMethod(this, &PaletteWatcher::refresh, Qt::QueuedConnection);
        }
        return false;
    }

private:
    explicit PaletteWatcher(QObject* app) : QObject(app) { app->installEventFilter(this); }

    void refresh() {
        pending_ = false;
        for (QWidget* widget : QApplication::allWidgets()) {
            if (!widget->styleSheet().isEmpty())
                widget->setStyleSheet(widget->styleSheet());
        }
        prune();
        for (const auto& follower : std::as_const(followers_))
            follower.second();
    }

    void prune() {
        followers_.removeIf([](const auto& follower) { return follower.first.isNull(); });
    }

    QList<std::pair<QPointer<QObject>, std::function<void()>>> followers_;
    bool pending_ = false;
};

QString buttonSheet(ButtonRole role, const QPalette& palette) {
    const QString ring = css(focusRing(palette));
    const QString edge = css(toneColor(Tone::secondary, palette), 0.45);
    const QString disabledText = css(palette.color(QPalette::Disabled, QPalette::ButtonText));
    switch (role) {
    case ButtonRole::prominent: {
        const QColor onFill = palette.color(QPalette::HighlightedText);
        const QColor fill = fillUnder(palette.color(QPalette::Highlight), onFill);
        const QColor pressed = mix(fill, onFill, 0.2);
        // The ring must stand out from the filled button itself, so it takes the text colour.
        return QStringLiteral(
                   "QPushButton { padding: 4px 16px; border-radius: 6px; border: 2px solid %1;"
                   " background: %1; color: %2; }"
                   "QPushButton:focus { border-color: %3; }"
                   "QPushButton:pressed { background: %4; }"
                   "QPushButton:disabled { background: %5; color: %6; border: 1px solid %7;"
                   " padding: 5px 17px; }")
            .arg(css(fill), css(onFill), css(palette.color(QPalette::WindowText)), css(pressed),
                 css(palette.color(QPalette::Disabled, QPalette::Button)), disabledText, edge);
    }
    case ButtonRole::bordered:
        return QStringLiteral(
                   "QPushButton { padding: 4px 12px; border-radius: 6px; border: 1px solid %1;"
                   " background: %2; margin: 1px; }"
                   "QPushButton:focus { border: 2px solid %3; margin: 0px; }"
                   "QPushButton:pressed { background: %4; }"
                   "QPushButton:disabled { color: %5; }")
            .arg(edge, css(palette.color(QPalette::Button)), ring,
                 css(palette.color(QPalette::Button).darker(115)), disabledText);
    case ButtonRole::borderless:
        return QStringLiteral(
                   "QPushButton { text-align: left; padding: 2px 2px; border-radius: 4px;"
                   " border: 2px solid transparent; background: transparent; outline: none;"
                   " color: %1; }"
                   "QPushButton:focus { border-color: %2; }"
                   "QPushButton:disabled { color: %3; }")
            .arg(css(palette.color(QPalette::ButtonText)), ring, disabledText);
    case ButtonRole::link:
        return QStringLiteral(
                   "QPushButton { color: %1; border: 2px solid transparent;"
                   " background: transparent; outline: none; border-radius: 4px; padding: 0;"
                   " text-align: left; }"
                   "QPushButton:hover { text-decoration: underline; }"
                   "QPushButton:focus { border-color: %2; }"
                   "QPushButton:disabled { color: %3; }")
            .arg(css(readable(palette.color(QPalette::Link), palette, kTextContrast)), ring,
                 disabledText);
    case ButtonRole::score: {
        const QColor onFill = palette.color(QPalette::HighlightedText);
        return QStringLiteral("QPushButton { background: transparent; color: %1;"
                              " border-radius: 4px; border: 1px solid %2; }"
                              "QPushButton:checked { background: %3; color: %4; border-color: %3;"
                              " font-weight: 600; }"
                              "QPushButton:focus { border: 2px solid %5; }"
                              "QPushButton:disabled { color: %6; }")
            .arg(css(palette.color(QPalette::ButtonText)), edge,
                 css(fillUnder(palette.color(QPalette::Highlight), onFill)), css(onFill),
                 css(palette.color(QPalette::WindowText)), disabledText);
    }
    }
    return {};
}

// Sets the text colours of `widget`'s tone, if they are not set already.
void keepTone(QWidget* widget) {
    QPalette palette = widget->palette();
    bool changed = false;
    auto set = [&](QPalette::ColorRole role, Tone tone) {
        const QColor colour = toneColor(tone, QApplication::palette());
        if (palette.color(role) != colour) {
            palette.setColor(role, colour);
            changed = true;
        }
    };
    if (const QVariant tone = widget->property(kToneProperty); tone.isValid()) {
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            set(role, static_cast<Tone>(tone.toInt()));
    }
    if (widget->property(kPlaceholderProperty).toBool())
        set(QPalette::PlaceholderText, Tone::secondary);
    if (changed)
        widget->setPalette(palette);
}

// Puts a widget's tone back whenever its palette changes: with the application's (dark
// mode), or when a style sheet polishes it again with the palette it had before.
class ToneKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange)
            keepTone(static_cast<QWidget*>(watched));
        return false;
    }
};

void keepToneOf(QWidget* widget) {
    if (!widget->property(kToneKeptProperty).toBool()) {
        widget->setProperty(kToneKeptProperty, true);
        widget->installEventFilter(new ToneKeeper(widget));
    }
    keepTone(widget);
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

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor toneColor(Tone tone, const QPalette& palette) {
    const bool dark = isDark(palette);
    QColor colour;
    switch (tone) {
    case Tone::secondary:
        colour = mix(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.45);
        break;
    case Tone::success:
        colour = dark ? QColor(0x30, 0xD1, 0x58) : QColor(0x34, 0xC7, 0x59);
        break;
    case Tone::failure:
        colour = dark ? QColor(0xFF, 0x45, 0x3A) : QColor(0xFF, 0x3B, 0x30);
        break;
    case Tone::warning:
        colour = dark ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xFF, 0x95, 0x00);
        break;
    case Tone::caution:
        colour = dark ? QColor(0xFF, 0xD6, 0x0A) : QColor(0xFF, 0xCC, 0x00);
        break;
    case Tone::accent:
        colour = palette.color(QPalette::Highlight);
        break;
    }
    return readable(colour, palette, kTextContrast);
}

void followPalette(QWidget* widget, std::function<void()> apply) {
    apply();
    // Keyed on the widget, so a follower ends with it.
    PaletteWatcher::shared().add(widget, std::move(apply));
}

void applyTone(QWidget* widget, Tone tone) {
    widget->setProperty(kToneProperty, static_cast<int>(tone));
    keepToneOf(widget);
}

void applyPlaceholderStyle(QWidget* field) {
    field->setProperty(kPlaceholderProperty, true);
    keepToneOf(field);
}

void applySecondaryStyle(QWidget* widget) {
    applyTone(widget, Tone::secondary);
}

void applySurface(QWidget* widget, Surface surface) {
    widget->setProperty(kSurfaceProperty, static_cast<int>(surface));
    followPalette(widget, [widget, surface] {
        const QPalette palette = QApplication::palette();
        QString fill;
        QString edge;
        int radius = 6;
        switch (surface) {
        case Surface::textBox:
            fill = css(palette.color(QPalette::Base));
            edge = css(toneColor(Tone::secondary, palette), 0.3);
            break;
        case Surface::card:
            fill = css(toneColor(Tone::secondary, palette), 0.08);
            edge = css(toneColor(Tone::secondary, palette), 0.25);
            radius = 8;
            break;
        case Surface::notice:
            fill = css(toneColor(Tone::accent, palette), 0.1);
            edge = css(toneColor(Tone::accent, palette), 0.4);
            break;
        case Surface::warning:
            fill = css(toneColor(Tone::caution, palette), 0.15);
            edge = css(toneColor(Tone::caution, palette), 0.6);
            break;
        }
        // Selected by the property, so the box's children keep their own look.
        widget->setStyleSheet(QStringLiteral("*[%1=\"%2\"] { background: %3; border: 1px solid "
                                             "%4; border-radius: %5px; }")
                                  .arg(QLatin1String(kSurfaceProperty))
                                  .arg(static_cast<int>(surface))
                                  .arg(fill, edge)
                                  .arg(radius));
    });
}

void applyCheckBoxStyle(QWidget* root) {
    followPalette(root, [root] {
        const QPalette palette = QApplication::palette();
        // Only the unticked box is drawn here; the ticked one keeps the style's own look.
        root->setStyleSheet(
            QStringLiteral("QCheckBox { border: 2px solid transparent; border-radius: 4px;"
                           " padding: 0px 2px; }"
                           "QCheckBox:focus { border-color: %3; }"
                           "QCheckBox::indicator { width: 14px; height: 14px; }"
                           "QCheckBox::indicator:unchecked { border: 1px solid %1; width: 12px;"
                           " height: 12px; border-radius: 3px; background: %2; }"
                           "QCheckBox::indicator:unchecked:disabled { border-color: %4; }")
                .arg(css(readable(toneColor(Tone::secondary, palette), palette, kEdgeContrast)),
                     css(palette.color(QPalette::Base)), css(focusRing(palette)),
                     css(toneColor(Tone::secondary, palette), 0.4)));
    });
}

namespace {

QLabel* showPlainText(QLabel* label, const QString& text, TextStyle style) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Selecting by mouse would make it a click-focus widget, which a screen reader announces
    // as focusable although Tab never stops on it.
    label->setFocusPolicy(Qt::NoFocus);
    applyTextStyle(label, style);
    return label;
}

} // namespace

QLabel* makePlainLabel(const QString& text, TextStyle style, QWidget* parent) {
    return showPlainText(new QLabel(parent), text, style);
}

QLabel* makeHeadingLabel(const QString& text, TextStyle style, QWidget* parent) {
    auto* label = new QLabel(parent);
    markAsHeading(label);
    showPlainText(label, text, style);
    applyTextStyle(label, style, true);
    return label;
}

QPushButton* makeButton(const QString& text, ButtonRole role, const QString& objectName,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
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
