#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>

class QWidget;

namespace tovr {

// The window behind an open sheet. Its parts are disabled, so nothing there can be pressed
// by any means (an accessibility action included) and the tree says so; but it keeps the
// colours it had, as a window behind a sheet does, so its text stays readable. What was
// disabled before the sheet came still looks disabled.
class SheetBackdrop : public QObject {
public:
    SheetBackdrop() = default;
    ~SheetBackdrop() override;

    // Covers `window`'s parts, `sheet` aside; remembers where the focus was.
    void cover(QWidget* window, QWidget* sheet);
    // Enables the parts again and hands the focus back once the sheet's owner is done.
    void uncover();
    bool isCovering() const { return !disabledParts_.isEmpty(); }

protected:
    // A kept widget's palette changed (dark mode, a style sheet polished again): its disabled
    // colours follow its enabled ones.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Kept {
        QPointer<QWidget> widget;
        QPalette::ResolveMask colours = 0; // the disabled colours set here
    };
    static void keepLook(Kept& kept);
    void restoreLooks();

    QList<QPointer<QWidget>> disabledParts_;
    QHash<QObject*, Kept> kept_;
    QPointer<QWidget> focusBehind_;
};

} // namespace tovr
