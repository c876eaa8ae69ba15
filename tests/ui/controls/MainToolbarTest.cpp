#include "ui/controls/MainToolbar.h"

#include "services/LocalizationManager.h"
#include "ui/controls/ColorSwatch.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace pigmo;

namespace {

struct ToolbarFixture : ::testing::Test {
    bool settings = false;
    bool history = false;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    MainToolbar toolbar{Binding<bool>::of(settings), Binding<bool>::of(history), localization};

    std::tuple<bool, bool, bool> selection() const
    {
        return {MainToolbar::isSelected(toolbar.homeButton()), MainToolbar::isSelected(toolbar.historyButton()),
                MainToolbar::isSelected(toolbar.settingsButton())};
    }
};

} // namespace

TEST_F(ToolbarFixture, EachButtonLeavesAtMostOneModeOnAndMarksExactlyOneButton)
{
    toolbar.show();
    EXPECT_EQ(selection(), std::make_tuple(true, false, false));
    QTest::mouseClick(toolbar.settingsButton(), Qt::LeftButton);
    EXPECT_TRUE(settings);
    EXPECT_FALSE(history);
    EXPECT_EQ(selection(), std::make_tuple(false, false, true));
    QTest::mouseClick(toolbar.historyButton(), Qt::LeftButton);
    EXPECT_TRUE(history);
    EXPECT_FALSE(settings);
    EXPECT_EQ(selection(), std::make_tuple(false, true, false));
    QTest::mouseClick(toolbar.historyButton(), Qt::LeftButton);
    EXPECT_TRUE(history);
    QTest::mouseClick(toolbar.homeButton(), Qt::LeftButton);
    EXPECT_FALSE(history);
    EXPECT_FALSE(settings);
    EXPECT_EQ(selection(), std::make_tuple(true, false, false));
}

TEST_F(ToolbarFixture, BothFlagsSetByACallerMarkBothAndNotHome)
{
    settings = history = true;
    toolbar.refresh();
    EXPECT_EQ(selection(), std::make_tuple(false, true, true));
}

TEST_F(ToolbarFixture, ButtonsHaveNamesAndTakeTheKeyboard)
{
    EXPECT_EQ(toolbar.historyButton()->accessibleName(), QStringLiteral("History"));
    toolbar.show();
    toolbar.settingsButton()->setFocus();
    QTest::keyClick(toolbar.settingsButton(), Qt::Key_Space);
    EXPECT_TRUE(settings);
}
