#include "ui/views/SheetDialog.h"

#include "ui/views/ApplicationQuit.h"
#include "ui/views/KeyboardFocus.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

namespace tovr {

namespace {

constexpr const char* kCancelProperty = "tovrSheetCancel";

} // namespace

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
}

SheetDialog::~SheetDialog() {
    // Deleted with its page: what it disabled comes back once the page has gone, and not at
    // all when the window itself is going.
    for (const QPointer<QWidget>& widget : std::as_const(disabledBehind_))
        if (widget)
            QTimer::singleShot(0, widget, [widget] { widget->setEnabled(true); });
}

void SheetDialog::markCancelButton(QPushButton* button) {
    if (button)
        button->setProperty(kCancelProperty, true);
}

void SheetDialog::present() {
    open();
    // Once modal, so that the page's focus stays where it was for when the sheet goes.
    disableBehind();
    focusFirstControl(this);
}

void SheetDialog::disableBehind() {
    QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
    if (!window || !disabledBehind_.isEmpty())
        return;
    focusBehind_ = window->focusWidget();
    // The window's own parts, each with all it holds; a part that holds the sheet is
    // disabled too and the sheet, a window of its own, enabled again. The parts remember
    // what their controls were, so the page comes back as the model left it.
    for (QWidget* part : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (part->isWindow() || part->testAttribute(Qt::WA_ForceDisabled))
            continue;
        part->setEnabled(false);
        disabledBehind_.append(part);
    }
    setEnabled(true);
}

void SheetDialog::enableBehind() {
    for (const QPointer<QWidget>& widget : std::exchange(disabledBehind_, {}))
        if (widget)
            widget->setEnabled(true);
    // A disabled part lets go of the focus; it comes back where it was once the sheet's owner
    // has taken the outcome (and enabled its controls again).
    if (QPointer<QWidget> focus = std::exchange(focusBehind_, nullptr))
        QTimer::singleShot(0, focus, [focus] {
            if (focus->isVisible() && focus->isEnabled())
                focus->setFocus(Qt::OtherFocusReason);
        });
}

void SheetDialog::closeSheet() {
    if (closing_)
        return;
    closing_ = true;
    hide();
    deleteLater();
}

void SheetDialog::reject() {
    if (closing_)
        return;
    if (dismissable_) {
        closeSheet();
        return;
    }
    // Esc: the Cancel on show, through its own click, so the run ends the one way it can.
    for (auto* button : findChildren<QPushButton*>())
        if (button->property(kCancelProperty).toBool() && button->isVisible() &&
            button->isEnabled()) {
            button->click();
            return;
        }
}

void SheetDialog::closeEvent(QCloseEvent* event) {
    if (closing_ || dismissable_ || ApplicationQuit::isUnderWay()) {
        event->accept();
        closing_ = true;
        return;
    }
    event->ignore();
}

void SheetDialog::hideEvent(QHideEvent* event) {
    // A window minimised with its sheet hides it too; the sheet is still up.
    if (!event->spontaneous())
        enableBehind();
    QDialog::hideEvent(event);
}

bool SheetDialog::focusNextPrevChild(bool next) {
    return moveFocusInReadingOrder(this, next) || QDialog::focusNextPrevChild(next);
}

} // namespace tovr
