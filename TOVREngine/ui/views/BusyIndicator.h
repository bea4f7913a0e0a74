#pragma once

#include <QProgressBar>

class QTimer;

namespace tovr {

// A small spinning indicator that stands beside controls disabled while work runs; its
// accessible name says what the work is. Its owner shows it from the model's state, for
// exactly as long as the controls are disabled. It turns only while shown.
class BusyIndicator : public QProgressBar {
    Q_OBJECT

public:
    explicit BusyIndicator(const QString& accessibleName, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* turn_ = nullptr;
    int step_ = 0;
};

} // namespace tovr
