#include "ui/views/ChoiceList.h"

#include "ui/views/Typography.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tovr {

// A radio button whose words sit in a wrapping label beside its mark. Its accessible name
// is the words, its checked state the choice; a press never changes that state itself.
class ChoiceRow : public QRadioButton {
    Q_OBJECT

public:
    ChoiceRow(const QString& words, QWidget* parent) : QRadioButton(parent) {
        setAutoExclusive(false); // rows sharing a key are chosen together
        setAccessibleName(words);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        auto* layout = new QHBoxLayout(this);
        const int mark = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this) +
                         style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
        layout->setContentsMargins(mark, 4, 0, 4);
        auto* label = makeMeasuredLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setText(words);
        label->setWordWrap(true);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        applyTextStyle(label, TextStyle::body);
        layout->addWidget(label, 1);
    }

    QSize sizeHint() const override { return layout()->totalSizeHint(); }
    QSize minimumSizeHint() const override { return layout()->totalMinimumSize(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return layout()->totalHeightForWidth(width); }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void nextCheckState() override {}
};

namespace {

// What a screen reader hears of a row: a radio button with its words, checked while chosen
// (the stock interface would call a checkable button a check box).
class ChoiceRowAccessible : public QAccessibleWidget {
public:
    explicit ChoiceRowAccessible(QWidget* row) : QAccessibleWidget(row, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<QAbstractButton*>(widget())->isChecked();
        return state;
    }
    QString text(QAccessible::Text text) const override {
        return text == QAccessible::Name ? widget()->accessibleName()
                                         : QAccessibleWidget::text(text);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            static_cast<QAbstractButton*>(widget())->click();
    }
};

QAccessibleInterface* choiceRowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ChoiceRow::staticMetaObject.className()) &&
        object->isWidgetType())
        return new ChoiceRowAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ChoiceList::ChoiceList(const QList<Choice>& choices, int spacing, QWidget* parent)
    : QWidget(parent) {
    static const bool heard = (QAccessible::installFactory(choiceRowAccessible), true);
    Q_UNUSED(heard);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    for (const auto& choice : choices) {
        auto* row = new ChoiceRow(choice.label, this);
        row->setObjectName(choice.objectName);
        const QString key = choice.key;
        connect(row, &QRadioButton::clicked, this, [this, key] { Q_EMIT chosen(key); });
        rows_.append({key, row});
        stack->addWidget(row);
    }
}

void ChoiceList::setSelectedKey(const std::optional<QString>& key) {
    for (const auto& [rowKey, row] : rows_)
        row->setChecked(key && *key == rowKey);
}

} // namespace tovr

#include "ChoiceList.moc"
