// Loaded into the built application by a test (LD_PRELOAD), never linked into it: presses
// what a person would on a new demo Mac, from consent to the first stage's install, and
// says on stdout, once, when the install sheet is up with its run going.

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

constexpr const char* kPath[] = {"consent-continue", "welcome-diagnose-button",
                                 "diagnosis-continue"};

QAbstractButton* pressable(const QString& name, bool prefix) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        for (auto* button : window->findChildren<QAbstractButton*>()) {
            const QString own = button->objectName();
            if ((prefix ? own.startsWith(name) : own == name) && button->isVisible() &&
                button->isEnabled())
                return button;
        }
    }
    return nullptr;
}

bool installIsRunning() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->objectName() == QLatin1String("setup-action-sheet"))
            for (auto* cancel :
                 window->findChildren<QAbstractButton*>(QStringLiteral("setup-action-cancel")))
                if (cancel->isVisible())
                    return true;
    return false;
}

// Once a tick: pages guard against a second click for a moment after they change, and a
// press they swallow is made again on the next tick.
void step(QTimer* timer) {
    if (installIsRunning()) {
        timer->stop();
        std::fputs("install-sheet-running\n", stdout);
        std::fflush(stdout);
        return;
    }
    QAbstractButton* button = pressable(QStringLiteral("stage-fix-"), true);
    for (const char* name : kPath)
        if (!button)
            button = pressable(QString::fromLatin1(name), false);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
}

void startDriving() {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] { step(timer); });
    timer->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriving)
