#include "ui/views/BusyIndicator.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace tovr {

namespace {

constexpr int kSpokes = 8;

} // namespace

BusyIndicator::BusyIndicator(const QString& accessibleName, QWidget* parent)
    : QProgressBar(parent), turn_(new QTimer(this)) {
    setRange(0, 0);
    setTextVisible(false);
    setFixedSize(16, 16);
    setAccessibleName(accessibleName);
    turn_->setInterval(100);
    connect(turn_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
    hide();
}

// Spokes round a centre, the leading one darkest, as a small indeterminate indicator is drawn.
void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const double outer = std::min(width(), height()) / 2.0 - 1;
    QColor colour = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        const int age = (step_ - spoke + kSpokes) % kSpokes;
        colour.setAlphaF(1.0 - 0.75 * age / (kSpokes - 1));
        painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * spoke / kSpokes);
        painter.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer));
        painter.restore();
    }
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QProgressBar::showEvent(event);
    turn_->start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    turn_->stop();
    QProgressBar::hideEvent(event);
}

} // namespace tovr
