#include "support/ui/AccessibilityCheck.h"

#include "support/ui/Screenshots.h"
#include "ui/views/Typography.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <algorithm>

namespace tovr::test {

namespace {

QString plainText(const QLabel* label) {
    if (label->textFormat() == Qt::PlainText ||
        (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text())))
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

QString normalized(QString text) {
    text.remove(QLatin1Char('&'));
    return text.simplified().toCaseFolded();
}

// The words a control shows, if any.
QString visibleWords(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return plainText(label);
    return {};
}

// How a finding names a control: its words, or its identifier and kind.
QString describe(const QWidget* widget) {
    const QString words = visibleWords(widget).simplified();
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        name += QStringLiteral(" ") + widget->objectName();
    if (!words.isEmpty())
        name += QStringLiteral(" “%1”").arg(words.left(60));
    return name;
}

bool isShown(const QWidget* widget, const QWidget* root) {
    return widget->isVisibleTo(root) && widget->isVisible() && !widget->visibleRegion().isEmpty();
}

bool isField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget);
}

QString placeholderOf(const QWidget* widget) {
    if (auto* field = qobject_cast<const QLineEdit*>(widget))
        return field->placeholderText();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(widget))
        return edit->placeholderText();
    if (auto* edit = qobject_cast<const QTextEdit*>(widget))
        return edit->placeholderText();
    return {};
}

void checkName(QWidget* widget, QStringList& findings) {
    if (!(widget->focusPolicy() & Qt::TabFocus))
        return;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    const QString name = face ? face->text(QAccessible::Name) : QString();
    const QString words = normalized(visibleWords(widget));
    const QString heard = normalized(name);
    static const QRegularExpression identifier(QStringLiteral("^[a-z0-9]+([-_.][a-z0-9]+)+$"));
    if (heard.isEmpty()) {
        if (!isField(widget)) // said of every field, focusable or not
            findings << describe(widget) + QStringLiteral(": no accessible name");
    } else if (!words.isEmpty() && !heard.contains(words) && !words.contains(heard))
        findings << describe(widget) +
                        QStringLiteral(": accessible name “%1” is not its visible words").arg(name);
    else if (name == widget->objectName() || identifier.match(name).hasMatch())
        findings << describe(widget) +
                        QStringLiteral(": accessible name “%1” is an identifier").arg(name);
}

// A name that speaks a glyph which only decorates what is shown ("‹", "→", "✓", a
// button's trailing "…").
std::optional<QString> glyphFault(const QString& name, bool acts) {
    static const QRegularExpression decorative(QStringLiteral("[‹›←→✓✗✔✕]"));
    if (const auto glyph = decorative.match(name); glyph.hasMatch())
        return QStringLiteral("accessible name “%1” speaks the glyph “%2”")
            .arg(name, glyph.captured());
    if (acts && name.trimmed().endsWith(QChar(0x2026)))
        return QStringLiteral("accessible name “%1” speaks its trailing “…”").arg(name);
    return std::nullopt;
}

// The role a screen reader announces: a semibold title is a heading, a control that opens a
// web page (it shows the pointing hand) a link. A busy indicator stands beside what it is
// about, not across the window, and a check box is no wider than its words (its focus ring
// hugs them).
void checkRole(QWidget* widget, QAccessibleInterface* face, QStringList& findings) {
    const QAccessible::Role role = face ? face->role() : QAccessible::NoRole;
    auto* label = qobject_cast<QLabel*>(widget);
    if (label && !label->text().trimmed().isEmpty() && label->accessibleName().isEmpty() &&
        label->font().weight() >= QFont::DemiBold && role != QAccessible::Heading)
        findings << describe(widget) + QStringLiteral(": a title, not heard as a heading");
    if (qobject_cast<QPushButton*>(widget) && widget->cursor().shape() == Qt::PointingHandCursor &&
        role != QAccessible::Link)
        findings << describe(widget) + QStringLiteral(": opens a page, not heard as a link");
    if (auto* bar = qobject_cast<QProgressBar*>(widget);
        bar && bar->maximum() == 0 && bar->width() > bar->window()->width() / 2)
        findings << describe(widget) +
                        QStringLiteral(": a busy indicator across the window, not a small one");
    if (auto* box = qobject_cast<QCheckBox*>(widget);
        box && box->width() > box->sizeHint().width() + 8)
        findings << describe(widget) +
                        QStringLiteral(": %1 px wide, its focus ring far wider than its words")
                            .arg(box->width());
}

// A sheet's window is named by its title, the first heading in it.
void checkSheetName(QWidget* root, QStringList& findings) {
    if (!qobject_cast<QDialog*>(root))
        return;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(root);
    const QString name = face ? face->text(QAccessible::Name) : QString();
    QString title;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(label);
        if (heard && heard->role() == QAccessible::Heading && label->isVisibleTo(root)) {
            title = heard->text(QAccessible::Name);
            break;
        }
    }
    if (name.trimmed().isEmpty())
        findings << describe(root) + QStringLiteral(": a sheet whose window has no name");
    else if (!title.isEmpty() && normalized(name) != normalized(title))
        findings << describe(root) + QStringLiteral(": a sheet named “%1”, not by its title “%2”")
                                         .arg(name, title);
}

// What a screen reader hears of every text, image, field, log and progress indicator on
// show: a name in words (a field's from its label, never from a placeholder that no label
// on `labels` shows), and a label that does not claim a focus Tab never gives it.
void checkHeard(QWidget* widget, const QStringList& labels, QStringList& findings) {
    auto* label = qobject_cast<QLabel*>(widget);
    const bool field = isField(widget);
    const bool indicator = qobject_cast<QProgressBar*>(widget) != nullptr;
    const bool acts = qobject_cast<QAbstractButton*>(widget) != nullptr;
    if (!label && !field && !indicator && !acts)
        return;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    const QString name = face ? face->text(QAccessible::Name) : QString();
    checkRole(widget, face, findings);
    if (label) {
        if (label->text().isEmpty() && !label->pixmap().isNull() && name.trimmed().isEmpty())
            findings << describe(widget) + QStringLiteral(": an image without a name");
        static const QRegularExpression words(QStringLiteral("[\\p{L}\\p{N}]"));
        if (!name.trimmed().isEmpty() && !name.contains(words))
            findings << describe(widget) +
                            QStringLiteral(": heard as the lone glyph “%1”").arg(name.trimmed());
        if (face && face->state().focusable && !(widget->focusPolicy() & Qt::TabFocus))
            findings << describe(widget) +
                            QStringLiteral(": says it is focusable, but Tab never stops on it");
    } else if (field || indicator) {
        const QString placeholder = placeholderOf(widget);
        if (name.trimmed().isEmpty())
            findings << describe(widget) +
                            (field ? QStringLiteral(": no accessible name (a field)")
                                   : QStringLiteral(": no accessible name (an indicator)"));
        else if (!placeholder.isEmpty() && name == placeholder && !labels.contains(name))
            findings << describe(widget) +
                            QStringLiteral(": named by its placeholder “%1”").arg(placeholder);
    }
    if (const auto fault = glyphFault(name, acts))
        findings << describe(widget) + QStringLiteral(": ") + *fault;
}

// The colour most of `area` is painted in.
QColor paintedBehind(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    const int step = area.width() * area.height() > 40000 ? 3 : 1;
    for (int y = area.top(); y <= area.bottom(); y += step)
        for (int x = area.left(); x <= area.right(); x += step)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int best = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best) {
            best = it.value();
            most = it.key();
        }
    return QColor::fromRgb(most);
}

// The painted colour in `area` that stands out most from `behind`.
QColor mostDistinct(const QImage& image, const QRect& area, const QColor& behind) {
    QColor best = behind;
    double ratio = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = QColor::fromRgb(image.pixel(x, y));
            if (const double r = contrastRatio(pixel, behind); r > ratio) {
                ratio = r;
                best = pixel;
            }
        }
    return best;
}

bool isPainted(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = QColor::fromRgb(image.pixel(x, y));
            if (qAbs(pixel.red() - colour.red()) < 24 &&
                qAbs(pixel.green() - colour.green()) < 24 &&
                qAbs(pixel.blue() - colour.blue()) < 24)
                return true;
        }
    return false;
}

QColor over(const QColor& colour, const QColor& background) {
    const double a = colour.alphaF();
    return QColor::fromRgbF(colour.redF() * a + background.redF() * (1 - a),
                            colour.greenF() * a + background.greenF() * (1 - a),
                            colour.blueF() * a + background.blueF() * (1 - a));
}

// The text a widget paints and the palette role it paints it in, if it paints any.
std::optional<QPalette::ColorRole> textRole(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text().trimmed().isEmpty() ? std::nullopt
                                                 : std::optional(label->foregroundRole());
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().trimmed().isEmpty() ? std::nullopt
                                                  : std::optional(button->foregroundRole());
    if (auto* field = qobject_cast<const QLineEdit*>(widget))
        return field->text().isEmpty()
                   ? (field->placeholderText().isEmpty() ? std::nullopt
                                                         : std::optional(QPalette::PlaceholderText))
                   : std::optional(QPalette::Text);
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(widget))
        return edit->document()->isEmpty() ? std::nullopt : std::optional(QPalette::Text);
    if (auto* edit = qobject_cast<const QTextEdit*>(widget))
        return edit->document()->isEmpty() ? std::nullopt : std::optional(QPalette::Text);
    if (auto* list = qobject_cast<const QAbstractItemView*>(widget))
        return !list->model() || list->model()->rowCount() == 0 ? std::nullopt
                                                                : std::optional(QPalette::Text);
    return std::nullopt;
}

// Disabled only by a sheet open in front of its window, which disables the window's parts:
// it must look as it did before.
bool disabledBySheetAlone(const QWidget* widget) {
    const QWidget* window = widget->window();
    const auto dialogs = window->findChildren<QDialog*>();
    if (std::none_of(dialogs.begin(), dialogs.end(),
                     [](const QDialog* sheet) { return sheet->isVisible() && sheet->isModal(); }))
        return false;
    for (const QWidget* up = widget; up != window; up = up->parentWidget())
        if (up->testAttribute(Qt::WA_ForceDisabled) && up->parentWidget() != window)
            return false;
    return true;
}

void checkContrast(QWidget* widget, QWidget* root, const QImage& image, QStringList& findings) {
    const auto role = textRole(widget);
    if (!role)
        return;
    if (!widget->isEnabled() && !disabledBySheetAlone(widget)) {
        // Exempt from contrast, but it must look disabled, unless a sheet came in front of it
        // while it was enabled (it keeps the look it had).
        const QPalette& palette = widget->palette();
        if (qobject_cast<QAbstractButton*>(widget) &&
            !widget->property(kBehindSheetProperty).toBool() &&
            palette.color(QPalette::Disabled, *role) == palette.color(QPalette::Active, *role))
            findings << describe(widget) + QStringLiteral(": disabled, it looks enabled");
        return;
    }
    QRect area = widget->visibleRegion()
                     .boundingRect()
                     .translated(widget->mapTo(root, QPoint()))
                     .intersected(image.rect());
    if (area.isEmpty())
        return;
    // Inside the control's edge and focus ring, where its text is.
    if (area.width() > 12 && area.height() > 12)
        area.adjust(3, 3, -3, -3);
    const QColor behind = paintedBehind(image, area);
    // The palette's text colour, unless a style sheet paints this state in another one.
    QColor text = over(widget->palette().color(QPalette::Active, *role), behind);
    if (!isPainted(image, area, text))
        text = mostDistinct(image, area, behind);
    QList<QColor> colours{text};
    auto* label = qobject_cast<QLabel*>(widget);
    if (label && label->textFormat() != Qt::PlainText && label->text().contains("<a "))
        colours << over(widget->palette().color(QPalette::Active, QPalette::Link), behind);
    const QFont font = widget->font();
    const double body = QApplication::font().pointSizeF();
    const bool large = font.pointSizeF() >= body * 1.5 ||
                       (font.pointSizeF() >= body * 1.17 && font.weight() >= QFont::DemiBold);
    const double needed = large ? 3.0 : 4.5;
    for (const QColor& colour : colours) {
        const double ratio = contrastRatio(colour, behind);
        if (ratio < needed)
            findings << describe(widget) + QStringLiteral(": text %1 on %2 is %3:1, under %4:1")
                                               .arg(colour.name(), behind.name())
                                               .arg(ratio, 0, 'f', 1)
                                               .arg(needed);
    }
}

} // namespace

QStringList accessibilityFindings(QWidget* root) {
    QStringList findings;
    if (!root)
        return findings;
    QImage image(root->size(), QImage::Format_RGB32);
    image.fill(root->palette().color(QPalette::Window));
    {
        QPainter painter(&image);
        root->render(&painter);
    }
    QList<QWidget*> shown;
    QStringList labels;
    for (QWidget* widget : root->findChildren<QWidget*>())
        if (isShown(widget, root) && widget->window() == root->window()) {
            shown.append(widget);
            if (auto* label = qobject_cast<QLabel*>(widget))
                labels.append(plainText(label));
        }
    for (QWidget* widget : shown) {
        checkName(widget, findings);
        checkHeard(widget, labels, findings);
        checkContrast(widget, root, image, findings);
    }
    checkSheetName(root, findings);
    return findings;
}

void checkAccessibility(QWidget* root, const QString& screen) {
    if (!root)
        return;
    // A sheet's window behind it too: inert, but as readable as before.
    QWidget* behind = qobject_cast<QDialog*>(root) && root->parentWidget()
                          ? root->parentWidget()->window()
                          : nullptr;
    auto report = [&](const QString& palette) {
        for (const QString& finding : accessibilityFindings(root))
            ADD_FAILURE() << screen.toStdString() << " (" << palette.toStdString()
                          << " palette): " << finding.toStdString();
        if (behind)
            for (const QString& finding : accessibilityFindings(behind))
                ADD_FAILURE() << screen.toStdString() << ", the window behind it ("
                              << palette.toStdString() << " palette): " << finding.toStdString();
    };
    report(QStringLiteral("light"));
    withDarkPalette([&] { report(QStringLiteral("dark")); });
}

} // namespace tovr::test
