#include "ui/views/SheetDialog.h"

#include "ui/views/Typography.h"

#include <QCloseEvent>

namespace tovr {

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    applyCheckBoxStyle(this);
}

void SheetDialog::present() {
    open();
}

void SheetDialog::closeSheet() {
    if (closing_)
        return;
    closing_ = true;
    hide();
    deleteLater();
}

void SheetDialog::reject() {
    if (dismissable_)
        closeSheet();
}

void SheetDialog::closeEvent(QCloseEvent* event) {
    if (closing_ || dismissable_) {
        event->accept();
        closing_ = true;
        return;
    }
    event->ignore();
}

} // namespace tovr
