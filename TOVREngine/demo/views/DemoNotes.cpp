#include "demo/views/DemoNotes.h"

#include "ui/views/Typography.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace tovr {

namespace {

// The panel itself: a child of its host that follows the host's size.
class NotePanel final : public QFrame {
public:
    explicit NotePanel(QWidget* host) : QFrame(host) {
        setObjectName(QStringLiteral("demo-note"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setFrameShape(QFrame::StyledPanel);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::ToolTipBase);
        setForegroundRole(QPalette::ToolTipText);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(12, 8, 12, 8);
        text_ = makePlainLabel(QString(), TextStyle::callout, this);
        text_->setObjectName(QStringLiteral("demo-note-text"));
        text_->setForegroundRole(QPalette::ToolTipText);
        text_->setTextInteractionFlags(Qt::NoTextInteraction);
        text_->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(text_);
        expiry_.setSingleShot(true);
        expiry_.setInterval(DemoNotes::kShownMilliseconds);
        connect(&expiry_, &QTimer::timeout, this, [this] {
            notes_.clear();
            hide();
        });
        host->installEventFilter(this);
    }

    void add(const QString& note) {
        notes_.append(note);
        while (notes_.size() > DemoNotes::kMostShown)
            notes_.removeFirst();
        text_->setText(notes_.join(u'\n'));
        text_->setAccessibleName(note);
        expiry_.start();
        place();
        show();
        raise();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Resize)
            place();
        return QFrame::eventFilter(watched, event);
    }

private:
    void place() {
        const QWidget* host = parentWidget();
        const int margin = 16;
        const int width = std::min(380, host->width() - 2 * margin);
        const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                         : sizeHint().height();
        setGeometry(host->width() - width - margin, host->height() - height - margin, width,
                    height);
    }

    QLabel* text_ = nullptr;
    QStringList notes_;
    QTimer expiry_;
};

} // namespace

QWidget* DemoNotes::host() const {
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* w = modal; w; w = w->parentWidget())
        if (w == window_)
            return modal;
    return window_;
}

void DemoNotes::show(const QString& text) {
    QWidget* target = host();
    if (!target)
        return;
    auto* panel = static_cast<NotePanel*>(
        target->findChild<QFrame*>(QStringLiteral("demo-note"), Qt::FindDirectChildrenOnly));
    if (!panel)
        panel = new NotePanel(target);
    panel->add(text);
}

} // namespace tovr
