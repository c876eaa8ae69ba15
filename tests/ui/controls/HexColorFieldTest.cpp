#include "ui/controls/HexColorField.h"

#include "services/LocalizationManager.h"

#include "support/WidgetInput.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace pigmo;

namespace {

struct HexFieldFixture : ::testing::Test {
    HSL color{210, 40, 30};
    int writes = 0;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    HexColorField field{Binding<HSL>{[this] { return color; },
                                     [this](const HSL& next) {
                                         ++writes;
                                         color = next;
                                     }},
                        localization};

    void SetUp() override { field.show(); }
    void retype(const QString& text)
    {
        field.activateWindow();
        test::retype(&field, text);
    }
};

} // namespace

TEST_F(HexFieldFixture, ShowsTheUpperCaseDigitsOfTheColourAndWritesNothingForIt)
{
    EXPECT_EQ(field.text(), (HSL{210, 40, 30}.color().hexString()));
    field.refresh();
    EXPECT_EQ(writes, 0);
}

TEST_F(HexFieldFixture, SixDigitsWithOrWithoutHashInAnyCaseSetTheColourAtTheLastDigit)
{
    const HSL orange = *HSL::fromColor(*Color::fromHex(u"FF8800"));
    for (const QString& text : {QStringLiteral("ff8800"), QStringLiteral("#FF8800"), QStringLiteral("#fF8800")}) {
        color = {210, 40, 30};
        retype(text.chopped(1));
        EXPECT_EQ(color, (HSL{210, 40, 30})) << text.toStdString();
        QTest::keyClicks(&field, text.right(1));
        EXPECT_EQ(color, orange) << text.toStdString();
        QTest::keyClick(&field, Qt::Key_Return); // ending the edit shows the colour's own text
        EXPECT_EQ(field.text(), QStringLiteral("FF8800"));
    }
}

TEST_F(HexFieldFixture, BadTextChangesNothing)
{
    for (const QString& text :
         {QStringLiteral("FF00"), QStringLiteral("FF88G0"), QStringLiteral("##FF8800"), QStringLiteral("FF880G0")}) {
        retype(text);
        EXPECT_EQ(writes, 0) << text.toStdString();
    }
    EXPECT_EQ(color, (HSL{210, 40, 30}));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.text(), (HSL{210, 40, 30}.color().hexString())); // the shown text comes from the colour again
}

TEST(HexColorFieldTest, ColourOfTextReadsOnlySixDigits)
{
    EXPECT_TRUE(HexColorField::colorOfText(QStringLiteral("00ff00")));
    EXPECT_FALSE(HexColorField::colorOfText(QStringLiteral("00ff0")));
    EXPECT_FALSE(HexColorField::colorOfText(QString()));
    EXPECT_EQ(HexColorField::textOfColor({0, 100, 50}), QStringLiteral("FF0000"));
}
