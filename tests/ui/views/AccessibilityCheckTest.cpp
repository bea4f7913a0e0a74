#include "support/ui/AccessibilityCheck.h"
#include "support/ui/WidgetDriver.h"

#include "ui/views/Typography.h"

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tovr;
using namespace tovr::test;

// The check finds grey text that is too faint, a bare field, a log and an image without a
// name, a field named by its placeholder, a name that is an identifier or speaks a glyph,
// and a label that claims a focus; the secondary style and the placeholder style pass it.
TEST(AccessibilityCheck, FindsFaintTextAndMissingOrIdentifierNames) {
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
    window.setPalette(palette);
    auto* stack = new QVBoxLayout(&window);
    auto* faint = new QLabel("Faint words", &window);
    QPalette grey = faint->palette();
    grey.setColor(QPalette::WindowText, QColor(0x7F, 0x7F, 0x7F));
    faint->setPalette(grey);
    stack->addWidget(faint);
    auto* secondary = makePlainLabel("Secondary words", TextStyle::body, &window);
    applySecondaryStyle(secondary);
    stack->addWidget(secondary);
    auto* field = new QLineEdit(&window);
    field->setObjectName("bare-field");
    stack->addWidget(field);
    auto* hinted = new QLineEdit(&window);
    hinted->setPlaceholderText("Your name");
    hinted->setAccessibleName("Name");
    applyPlaceholderStyle(hinted);
    stack->addWidget(hinted);
    auto* go = makeButton("Go", ButtonRole::bordered, "go-button", &window);
    go->setAccessibleName("go-button");
    stack->addWidget(go);
    auto* email = new QLineEdit(&window);
    email->setObjectName("email-field");
    email->setPlaceholderText("you@example.com");
    email->setAccessibleName("you@example.com");
    applyPlaceholderStyle(email);
    stack->addWidget(email);
    auto* log = new QPlainTextEdit("one line", &window);
    log->setObjectName("bare-log");
    log->setReadOnly(true);
    log->setFocusPolicy(Qt::NoFocus);
    stack->addWidget(log);
    auto* icon = new QLabel(&window);
    icon->setObjectName("bare-icon");
    QPixmap dot(12, 12);
    dot.fill(Qt::darkGreen);
    icon->setPixmap(dot);
    stack->addWidget(icon);
    stack->addWidget(new QPushButton(QString::fromUtf8("‹ Back"), &window));
    auto* selectable = new QLabel("Selectable words", &window);
    selectable->setTextInteractionFlags(Qt::TextSelectableByMouse); // click focus
    stack->addWidget(selectable);
    window.resize(300, 420);
    window.show();
    settle();

    const QStringList findings = accessibilityFindings(&window);

    const std::string all = findings.join('\n').toStdString();
    auto found = [&](const char* control, const char* problem) {
        return std::any_of(findings.cbegin(), findings.cend(), [&](const QString& finding) {
            return finding.contains(control) && finding.contains(problem);
        });
    };
    EXPECT_EQ(findings.size(), 8) << all;
    EXPECT_TRUE(found("Faint words", "#7f7f7f on #efefef")) << all;
    EXPECT_TRUE(found("bare-field", "no accessible name")) << all;
    EXPECT_TRUE(found("go-button", "is an identifier")) << all;
    EXPECT_TRUE(found("email-field", "named by its placeholder")) << all;
    EXPECT_TRUE(found("bare-log", "no accessible name")) << all;
    EXPECT_TRUE(found("bare-icon", "an image without a name")) << all;
    EXPECT_TRUE(found("Back", "speaks the glyph")) << all;
    EXPECT_TRUE(found("Selectable words", "says it is focusable")) << all;
}
