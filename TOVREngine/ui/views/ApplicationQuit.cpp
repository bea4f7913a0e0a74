#include "ui/views/ApplicationQuit.h"

#include "ui/views/SheetDialog.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QSessionManager>

namespace tovr {

namespace {

bool underWay = false;

} // namespace

ApplicationQuit::ApplicationQuit(QObject* parent) : QObject(parent) {
    // The platform's quit (Cmd-Q, the session's end) first sends the application a quit
    // event, then closes every window, each of which may refuse.
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { quit(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { cancelRuns(); });
}

ApplicationQuit::~ApplicationQuit() {
    underWay = false;
}

bool ApplicationQuit::isUnderWay() {
    return underWay;
}

void ApplicationQuit::quit() {
    cancelRuns();
    QCoreApplication::exit(0);
}

bool ApplicationQuit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit)
        cancelRuns();
    return QObject::eventFilter(watched, event);
}

void ApplicationQuit::cancelRuns() {
    underWay = true;
    // A canceled run's owner may close its sheet or open another from inside the call.
    QList<QPointer<SheetDialog>> sheets;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* sheet = qobject_cast<SheetDialog*>(window))
            sheets.append(sheet);
    for (const auto& sheet : sheets)
        if (sheet)
            sheet->cancelForQuit();
}

} // namespace tovr
