#include "ui/views/SheetDialog.h"

#include "ui/views/ApplicationQuit.h"
#include "ui/views/KeyboardFocus.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tovr {

namespace {

constexpr const char* kCancelProperty = "tovrSheetCancel";

} // namespace

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
}

SheetDialog::~SheetDialog() = default;

void SheetDialog::markCancelButton(QPushButton* button) {
    if (button)
        button->setProperty(kCancelProperty, true);
}

void SheetDialog::present() {
    open();
    // Once modal, so that the page's focus stays where it was for when the sheet goes.
    backdrop_.cover(parentWidget() ? parentWidget()->window() : nullptr, this);
    focusFirstControl(this);
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
        backdrop_.uncover();
    QDialog::hideEvent(event);
}

bool SheetDialog::focusNextPrevChild(bool next) {
    return moveFocusInReadingOrder(this, next) || QDialog::focusNextPrevChild(next);
}

} // namespace tovr
