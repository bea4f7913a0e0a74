#include "ui/views/PaletteStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPalette>
#include <QPointer>

namespace tovr {

namespace {

constexpr const char* kToneProperty = "tovrTone";
constexpr const char* kPlaceholderProperty = "tovrPlaceholderTone";
constexpr const char* kToneKeptProperty = "tovrToneKept";
constexpr const char* kSurfaceProperty = "tovrSurface";

bool isDark(const QPalette& palette) {
    return relativeLuminance(palette.color(QPalette::Window)) < 0.2;
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

QString cssColor(const QColor& colour, double opacity) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(qRound(255 * opacity));
}

QColor readableOn(const QColor& colour, const QPalette& palette, double ratio) {
    const QColor away = isDark(palette) ? QColor(Qt::white) : QColor(Qt::black);
    return towardsContrast(colour, away,
                           {palette.color(QPalette::Window), palette.color(QPalette::Base)}, ratio);
}

QColor fillUnder(const QColor& fill, const QColor& text) {
    const QColor away = relativeLuminance(text) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    return towardsContrast(fill, away, {text}, kTextContrast);
}

QColor focusRingColor(const QPalette& palette) {
    return readableOn(palette.color(QPalette::Highlight), palette, kEdgeContrast);
}

QColor toneColor(Tone tone, const QPalette& palette) {
    const bool dark = isDark(palette);
    QColor colour;
    switch (tone) {
    case Tone::secondary:
        colour =
            mixColors(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.45);
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
    return readableOn(colour, palette, kTextContrast);
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
            fill = cssColor(palette.color(QPalette::Base));
            edge = cssColor(toneColor(Tone::secondary, palette), 0.3);
            break;
        case Surface::card:
            fill = cssColor(toneColor(Tone::secondary, palette), 0.08);
            edge = cssColor(toneColor(Tone::secondary, palette), 0.25);
            radius = 8;
            break;
        case Surface::notice:
            fill = cssColor(toneColor(Tone::accent, palette), 0.1);
            edge = cssColor(toneColor(Tone::accent, palette), 0.4);
            break;
        case Surface::warning:
            fill = cssColor(toneColor(Tone::caution, palette), 0.15);
            edge = cssColor(toneColor(Tone::caution, palette), 0.6);
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

void applyCheckBoxStyle(QCheckBox* box) {
    followPalette(box, [box] {
        const QPalette palette = QApplication::palette();
        // Only the unticked box is drawn here; the ticked one keeps the style's own look.
        box->setStyleSheet(
            QStringLiteral("QCheckBox { border: 2px solid transparent; border-radius: 4px;"
                           " padding: 0px 2px; }"
                           "QCheckBox:focus { border-color: %3; }"
                           "QCheckBox::indicator { width: 14px; height: 14px; }"
                           "QCheckBox::indicator:unchecked { border: 1px solid %1; width: 12px;"
                           " height: 12px; border-radius: 3px; background: %2; }"
                           "QCheckBox::indicator:unchecked:disabled { border-color: %4; }"
                           "QCheckBox[%5=\"true\"]::indicator:unchecked:disabled"
                           " { border-color: %1; }")
                .arg(cssColor(
                         readableOn(toneColor(Tone::secondary, palette), palette, kEdgeContrast)),
                     cssColor(palette.color(QPalette::Base)), cssColor(focusRingColor(palette)),
                     cssColor(toneColor(Tone::secondary, palette), 0.4),
                     QLatin1String(kBehindSheetProperty)));
    });
}

} // namespace tovr
