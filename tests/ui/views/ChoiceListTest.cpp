#include "support/ui/WidgetDriver.h"

#include "ui/views/ChoiceList.h"

#include <QAccessible>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

TEST(ChoiceList, LongWordsWrapTheChosenRowStaysChosenWhenTappedAndEachRowIsHeard) {
    const QString longWords = "I finished a course and want to keep building real projects on my "
                              "own Mac, with the tools a working developer uses every day";
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* list = new ChoiceList({{"short", "Just looking", "choice-short"},
                                 {"long", longWords, "choice-long"},
                                 {"long", "The same answer again", "choice-long-twin"}},
                                6, &host);
    layout->addWidget(list);
    layout->addStretch(1);
    QStringList chosen;
    QObject::connect(list, &ChoiceList::chosen, [&](const QString& key) { chosen.append(key); });
    host.resize(260, 600);
    host.show();
    settle();

    auto* shortRow = host.findChild<QRadioButton*>("choice-short");
    auto* longRow = host.findChild<QRadioButton*>("choice-long");
    auto* twin = host.findChild<QRadioButton*>("choice-long-twin");
    ASSERT_TRUE(shortRow && longRow && twin);
    auto* words = longRow->findChild<QLabel*>();
    ASSERT_NE(words, nullptr);
    EXPECT_LE(longRow->width(), host.width());
    EXPECT_GE(words->height(), words->heightForWidth(words->width())); // nothing cut
    EXPECT_GT(longRow->height(), 2 * shortRow->height() - 8);          // onto more lines

    // A tap on the words asks for the row; the row shows chosen once the owner says so.
    QTest::mouseClick(longRow, Qt::LeftButton, {}, QPoint(longRow->width() - 4, 6));
    EXPECT_EQ(chosen, QStringList{"long"});
    EXPECT_FALSE(longRow->isChecked());
    list->setSelectedKey(QString("long"));
    EXPECT_TRUE(longRow->isChecked());
    EXPECT_TRUE(twin->isChecked());
    EXPECT_FALSE(shortRow->isChecked());
    QTest::mouseClick(longRow, Qt::LeftButton);
    QTest::keyClick(longRow, Qt::Key_Space);
    EXPECT_EQ(chosen, QStringList({"long", "long", "long"}));
    EXPECT_TRUE(longRow->isChecked());

    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(longRow);
    ASSERT_NE(heard, nullptr);
    EXPECT_EQ(heard->text(QAccessible::Name), longWords);
    EXPECT_EQ(heard->role(), QAccessible::RadioButton);
    EXPECT_TRUE(heard->state().checked);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(shortRow)->state().checked);
}
