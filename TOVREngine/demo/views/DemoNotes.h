#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tovr {

// Shows the demo desktop's notes in the window, or in the sheet open over it: a small panel
// in the bottom right corner that holds the latest few notes and goes after a few seconds.
// It never takes the focus or a click, so the screen under it works as before.
class DemoNotes final : public QObject {
    Q_OBJECT

public:
    explicit DemoNotes(QObject* parent = nullptr) : QObject(parent) {}

    void setWindow(QWidget* window) { window_ = window; }
    void show(const QString& text);

    // How long a note stays, and how many are shown at once.
    static constexpr int kShownMilliseconds = 8000;
    static constexpr int kMostShown = 3;

private:
    // The sheet open over the window, else the window.
    QWidget* host() const;

    QPointer<QWidget> window_;
};

} // namespace tovr
