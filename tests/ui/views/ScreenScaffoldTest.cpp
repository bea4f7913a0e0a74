#include "support/FakeDesktop.h"
#include "support/ui/WidgetDriver.h"

#include "model/ProductConfig.h"
#include "ui/views/MarkdownText.h"
#include "ui/views/ScreenScaffold.h"

#include <QLabel>

#include <memory>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

TEST(MarkdownText, EscapesEverythingAndRendersOnlyEmphasisCodeAndHttpsLinks) {
    EXPECT_EQ(markdownToHtml("<b>x</b> & **bold** *it* `a<b>`"),
              "&lt;b&gt;x&lt;/b&gt; &amp; <b>bold</b> <i>it</i> <code>a&lt;b&gt;</code>");
    EXPECT_EQ(markdownToHtml("[ok](https://example.org/a?b=1&c=2)"),
              "<a href=\"https://example.org/a?b=1&amp;c=2\">ok</a>");
    EXPECT_EQ(markdownToHtml("[no](javascript:alert(1)) [no](http://x.org)"),
              "[no](javascript:alert(1)) [no](http://x.org)");
    EXPECT_EQ(markdownToHtml("`**not bold**`"), "<code>**not bold**</code>");
}

TEST(ScreenScaffold, TheTitleIsLiteralAndTheFooterOpensTheProductsArticle) {
    auto opener = std::make_shared<FakeURLOpener>();
    ScreenScaffold scaffold(
        {"**Title**", TextStyle::largeTitle, "", QString("title-id"), std::nullopt, std::nullopt},
        opener);
    scaffold.show();
    auto* title = scaffold.findChild<QLabel*>("title-id");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "**Title**");
    EXPECT_EQ(title->textFormat(), Qt::PlainText);
    clickButton(&scaffold, "scaffold-article-link");
    EXPECT_EQ(opener->opened, QList<QUrl>{ProductConfig::current().urls.troubleshooting});
}

TEST(MarkdownText, ALabelMeasuresAgainWhenItsTextOrFontChanges) {
    QLabel* label = makeMarkdownLabel(QStringLiteral("Short."), nullptr, TextStyle::body, nullptr);
    std::unique_ptr<QLabel> owner(label);
    const int width = 200;
    const int oneLine = label->heightForWidth(width);
    EXPECT_EQ(label->heightForWidth(width), oneLine);

    label->setText(
        markdownToHtml(QString(40, u'w') + QStringLiteral(" **and** ") + QString(40, u'w')));
    const int wrapped = label->heightForWidth(width);
    EXPECT_GT(wrapped, oneLine);

    QFont larger = label->font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    label->setFont(larger);
    EXPECT_GT(label->heightForWidth(width), wrapped);
}
