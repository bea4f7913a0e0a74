#include "ui/views/AccessibleText.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTextDocumentFragment>

namespace tovr {

namespace {

constexpr const char* kHeadingProperty = "tovrHeading";
constexpr const char* kLinkProperty = "tovrLink";

// A title label, heard by its text with the heading role (the stock one is static text).
class HeadingAccessible : public QAccessibleWidget {
public:
    explicit HeadingAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::Heading) {}

    QString text(QAccessible::Text text) const override {
        if (text == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const auto* label = static_cast<const QLabel*>(widget());
            if (label->textFormat() == Qt::RichText)
                return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
            return label->text();
        }
        return QAccessibleWidget::text(text);
    }
};

// A button that opens a web page, heard by its words with the link role; pressing it
// through the accessibility tree follows it.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(QWidget* button) : QAccessibleWidget(button, QAccessible::Link) {}

    QString text(QAccessible::Text text) const override {
        if (text == QAccessible::Name && widget()->accessibleName().isEmpty())
            return spokenWords(button()->text());
        return QAccessibleWidget::text(text);
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction()) {
            if (widget()->isEnabled())
                button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* markedAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") && object->property(kHeadingProperty).toBool())
        return new HeadingAccessible(static_cast<QWidget*>(object));
    if (className == QLatin1String("QPushButton") && object->property(kLinkProperty).toBool())
        return new LinkAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installFactory() {
    static const bool installed = (QAccessible::installFactory(markedAccessible), true);
    Q_UNUSED(installed);
}

} // namespace

QString spokenWords(const QString& shown) {
    QString words = shown;
    for (const QChar glyph : QStringView(u"‹›←→✓✗"))
        words.remove(glyph);
    words = words.trimmed();
    if (words.endsWith(u'…'))
        words.chop(1);
    return words.simplified();
}

void markAsHeading(QWidget* label) {
    installFactory();
    if (qobject_cast<QLabel*>(label))
        label->setProperty(kHeadingProperty, true);
}

bool isHeading(const QWidget* label) {
    return label->property(kHeadingProperty).toBool();
}

void markAsLink(QAbstractButton* button) {
    installFactory();
    button->setProperty(kLinkProperty, true);
}

} // namespace tovr
