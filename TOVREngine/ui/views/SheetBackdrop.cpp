#include "ui/views/SheetBackdrop.h"

#include "ui/views/PaletteStyle.h"

#include <QEvent>
#include <QSet>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace tovr {

namespace {

// The resolve bit of a disabled colour, found through the palette itself.
QPalette::ResolveMask disabledBit(QPalette::ColorRole role) {
    QPalette probe;
    probe.setResolveMask(0);
    probe.setBrush(QPalette::Disabled, role, QBrush(Qt::red));
    return probe.resolveMask();
}

// A style sheet reads the property when it is polished.
void markBehind(QWidget* widget, bool behind) {
    widget->setProperty(kBehindSheetProperty, behind);
    if (!widget->styleSheet().isEmpty()) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }
}

void restoreLook(QWidget* widget, QPalette::ResolveMask colours) {
    QPalette palette = widget->palette();
    palette.setResolveMask(palette.resolveMask() & ~colours);
    widget->setPalette(palette);
    markBehind(widget, false);
}

} // namespace

SheetBackdrop::~SheetBackdrop() {
    // Deleted with its page: what it changed comes back once the page has gone, and not at
    // all when the window itself is going.
    for (const Kept& kept : std::as_const(kept_))
        if (QPointer<QWidget> widget = kept.widget) {
            widget->removeEventFilter(this);
            QTimer::singleShot(0, widget,
                               [widget, colours = kept.colours] { restoreLook(widget, colours); });
        }
    for (const QPointer<QWidget>& part : std::as_const(disabledParts_))
        if (part)
            QTimer::singleShot(0, part, [part] { part->setEnabled(true); });
}

void SheetBackdrop::cover(QWidget* window, QWidget* sheet) {
    if (!window || isCovering())
        return;
    focusBehind_ = window->focusWidget();
    // What keeps its look: every enabled widget of the window that holds nothing disabled. A
    // widget that holds a disabled control keeps its own colours, which that control
    // inherits, and paints no text of its own.
    QList<QWidget*> enabled;
    QSet<QWidget*> holdsDisabled;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window)
            continue;
        if (widget->isEnabled()) {
            enabled.append(widget);
            continue;
        }
        for (QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
            holdsDisabled.insert(up);
    }
    for (QWidget* widget : std::as_const(enabled))
        if (!holdsDisabled.contains(widget)) {
            markBehind(widget, true);
            kept_.insert(widget, {widget, 0});
        }
    // The window's own parts, each with all it holds; a part that holds the sheet is
    // disabled too and the sheet, a window of its own, enabled again. The parts remember
    // what their controls were, so the page comes back as the model left it.
    for (QWidget* part : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (part->isWindow() || part->testAttribute(Qt::WA_ForceDisabled))
            continue;
        part->setEnabled(false);
        disabledParts_.append(part);
    }
    if (sheet)
        sheet->setEnabled(true);
    for (Kept& kept : kept_) {
        keepLook(kept);
        kept.widget->installEventFilter(this);
    }
}

bool SheetBackdrop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        if (const auto it = kept_.find(watched); it != kept_.end())
            keepLook(*it);
    return false;
}

// Its disabled colours are its enabled ones, except those it sets itself (a tone, a style
// sheet's).
void SheetBackdrop::keepLook(Kept& kept) {
    QWidget* widget = kept.widget;
    if (!widget)
        return;
    QPalette palette = widget->palette();
    const QPalette::ResolveMask own = palette.resolveMask() & ~kept.colours;
    QPalette::ResolveMask colours = 0;
    bool changed = false;
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = static_cast<QPalette::ColorRole>(role);
        if (colourRole == QPalette::NoRole)
            continue;
        const QPalette::ResolveMask bit = disabledBit(colourRole);
        if (own & bit)
            continue;
        const QBrush enabled = palette.brush(QPalette::Active, colourRole);
        changed = changed || !(palette.resolveMask() & bit) ||
                  palette.brush(QPalette::Disabled, colourRole) != enabled;
        palette.setBrush(QPalette::Disabled, colourRole, enabled);
        colours |= bit;
    }
    kept.colours = colours;
    if (changed) // setting it sends a palette change again
        widget->setPalette(palette);
}

void SheetBackdrop::restoreLooks() {
    for (const Kept& kept : std::exchange(kept_, {}))
        if (kept.widget) {
            kept.widget->removeEventFilter(this);
            restoreLook(kept.widget, kept.colours);
        }
}

void SheetBackdrop::uncover() {
    restoreLooks();
    for (const QPointer<QWidget>& part : std::exchange(disabledParts_, {}))
        if (part)
            part->setEnabled(true);
    // A disabled part lets go of the focus; it comes back where it was once the sheet's owner
    // has taken the outcome (and enabled its controls again).
    if (QPointer<QWidget> focus = std::exchange(focusBehind_, nullptr))
        QTimer::singleShot(0, focus, [focus] {
            if (focus->isVisible() && focus->isEnabled())
                focus->setFocus(Qt::OtherFocusReason);
        });
}

} // namespace tovr
