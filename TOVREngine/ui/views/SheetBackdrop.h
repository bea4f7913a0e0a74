#pragma once

#include <QList>
#include <QPalette>
#include <QPointer>

class QWidget;

namespace tovr {

// The window behind an open sheet. Its parts are disabled, so nothing there can be pressed
// by any means (an accessibility action included) and the tree says so; but it keeps the
// colours it had, as a window behind a sheet does, so its text stays readable. What was
// disabled before the sheet came still looks disabled.
class SheetBackdrop {
public:
    SheetBackdrop() = default;
    SheetBackdrop(const SheetBackdrop&) = delete;
    SheetBackdrop& operator=(const SheetBackdrop&) = delete;
    ~SheetBackdrop();

    // Covers `window`'s parts, `sheet` aside; remembers where the focus was.
    void cover(QWidget* window, QWidget* sheet);
    // Enables the parts again and hands the focus back once the sheet's owner is done.
    void uncover();
    bool isCovering() const { return !disabledParts_.isEmpty(); }
    // The colours again, after the application's palette changed (dark mode).
    void keepLook();

private:
    struct Kept {
        QPointer<QWidget> widget;
        QPalette::ResolveMask colours = 0; // the disabled colours set here
    };
    void keepLook(Kept& kept);
    void restoreLooks();

    QList<QPointer<QWidget>> disabledParts_;
    QList<Kept> kept_;
    QPointer<QWidget> focusBehind_;
};

} // namespace tovr
