#pragma once

#include <QDialog>

namespace tovr {

// A sheet: a window-modal dialog over its parent's window, opened with open() (never
// exec(): no nested event loop), deleted when closed. Esc and the close box do nothing
// unless the screen allows dismissing; the screen closes it with closeSheet().
class SheetDialog : public QDialog {
    Q_OBJECT

public:
    explicit SheetDialog(QWidget* parent);

    void setDismissable(bool dismissable) { dismissable_ = dismissable; }
    bool isDismissable() const { return dismissable_; }

    // Shows the sheet.
    void present();
    // Hides it at once and deletes it later, so a caller inside one of its signals is safe.
    void closeSheet();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool dismissable_ = false;
    bool closing_ = false;
};

} // namespace tovr
