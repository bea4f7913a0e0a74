#include "ui/views/ClickGuard.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace tovr {

namespace {

// One application-wide filter; it holds the guarded pages and their deadlines.
class SecondClickFilter : public QObject {
public:
    static SecondClickFilter& shared() {
        static auto* filter = [] {
            auto* f = new SecondClickFilter;
            f->setParent(qApp);
            qApp->installEventFilter(f);
            return f;
        }();
        return *filter;
    }

    void guard(QWidget* page) {
        pages_.removeIf([](const Entry& e) { return !e.page || e.until.hasExpired(); });
        pages_.append({page, QDeadlineTimer(QApplication::doubleClickInterval())});
    }

    bool covers(QWidget* widget) const {
        for (const Entry& e : pages_)
            if (e.page && !e.until.hasExpired() &&
                (widget == e.page || e.page->isAncestorOf(widget)))
                return true;
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && covers(widget);
    }

private:
    struct Entry {
        QPointer<QWidget> page;
        QDeadlineTimer until;
    };
    QList<Entry> pages_;
};

} // namespace

bool isGuardedAgainstSecondClick(QWidget* widget) {
    return widget && qApp && SecondClickFilter::shared().covers(widget);
}

void guardAgainstSecondClick(QWidget* page) {
    if (page && qApp)
        SecondClickFilter::shared().guard(page);
}

} // namespace tovr
