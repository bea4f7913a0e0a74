#include "diagnosis/views/JavaVersionChooserView.h"

#include "ui/views/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace tovr {

namespace {

// A row whose whole rectangle picks it, caption and empty space included.
class ChoiceRow final : public QWidget {
public:
    ChoiceRow(std::function<void()> onPick, QWidget* parent)
        : QWidget(parent), onPick_(std::move(onPick)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onPick_();
    }

private:
    std::function<void()> onPick_;
};

} // namespace

QList<qint64> JavaVersionChooserView::offeredMajors() {
    return {25, 21, 17};
}

QString JavaVersionChooserView::rowTitle(qint64 major) {
    const QString title = QStringLiteral("Java ") + QString::number(major);
    return major == 25 ? title + QStringLiteral(" (recommended)") : title;
}

QString JavaVersionChooserView::rowCaption(qint64 major) {
    switch (major) {
    case 25:
        return QStringLiteral("Current LTS (long-term support). Recommended for most users.");
    case 21:
        return QStringLiteral("Previous LTS, good until 2031. Used in some workplaces and "
                              "university courses.");
    case 17:
        return QStringLiteral("Older LTS, good until 2029. Used in some workplaces and "
                              "university courses.");
    default:
        return {};
    }
}

QString JavaVersionChooserView::rowIdentifier(const QString& screenContext, qint64 major) {
    return QStringLiteral("diagnosis-") + screenContext + QStringLiteral("-pick-java-") +
           QString::number(major);
}

JavaVersionChooserView::JavaVersionChooserView(qint64 chosenMajor, const QString& screenContext,
                                               QWidget* parent)
    : QWidget(parent), chosen_(chosenMajor) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 4, 0, 4);
    stack->setSpacing(10);
    for (qint64 major : offeredMajors()) {
        auto* row = new ChoiceRow([this, major] { pick(major); }, this);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(10);

        // The radio button is the row's control: its mark, its title and its selected state
        // for assistive technology.
        auto* choice = new QRadioButton(rowTitle(major), row);
        choice->setObjectName(rowIdentifier(screenContext, major));
        choice->setAutoExclusive(false);
        applyTextStyle(choice, TextStyle::headline);
        // However the mark changed (a click, Space, an accessibility toggle): a row marked
        // is picked, one unmarked by hand is marked again.
        connect(choice, &QRadioButton::toggled, this, [this, major](bool on) {
            if (on)
                pick(major);
            else
                render();
        });

        auto* caption = makePlainLabel(rowCaption(major), TextStyle::subheadline, row);
        applySecondaryStyle(caption);
        choice->setAccessibleDescription(caption->text()); // heard with its explainer
        caption->setTextInteractionFlags(Qt::NoTextInteraction);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Under the title, past the mark.
        caption->setIndent(
            choice->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, choice) +
            choice->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, choice));

        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(choice);
        texts->addWidget(caption);
        line->addLayout(texts, 1);
        stack->addWidget(row);
        rows_.insert(major, choice);
    }
    render();
}

void JavaVersionChooserView::setChosenMajor(qint64 major) {
    chosen_ = major;
    render();
}

void JavaVersionChooserView::pick(qint64 major) {
    Q_EMIT majorPicked(major);
    // The host normally answers with setChosenMajor; a click never unmarks a row by itself.
    render();
}

void JavaVersionChooserView::render() {
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it) {
        const QSignalBlocker block(it.value());
        it.value()->setChecked(it.key() == chosen_);
    }
}

} // namespace tovr
