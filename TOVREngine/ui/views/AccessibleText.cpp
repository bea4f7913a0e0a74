#include "ui/views/AccessibleText.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace tovr {

namespace {

constexpr const char* kHeadingProperty = "tovrHeading";

// A title label, heard by its text with the heading role (the stock one is static text).
class HeadingAccessible : public QAccessibleWidget {
public:
    explicit HeadingAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::Heading) {}

    QString text(QAccessible::Text text) const override {
        if (text == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(text);
    }
};

QAccessibleInterface* headingAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") && object->property(kHeadingProperty).toBool())
        return new HeadingAccessible(static_cast<QWidget*>(object));
    return nullptr;
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
    static const bool installed = (QAccessible::installFactory(headingAccessible), true);
    Q_UNUSED(installed);
    if (qobject_cast<QLabel*>(label))
        label->setProperty(kHeadingProperty, true);
}

} // namespace tovr
