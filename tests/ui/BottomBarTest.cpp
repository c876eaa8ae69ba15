#include "ui/main/BottomBar.h"

#include "services/LocalizationManager.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/TextButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

using namespace pigmo;
using State = BottomBar::State;

namespace {

class BottomBarTest : public ::testing::Test {
protected:
    BottomBarTest()
        : bar([&] { ++saves; }, [&] { ++applies; }, localization)
    {
        localization.setCurrentLanguage(QStringLiteral("en"));
        bar.resize(400, BottomBar::height);
        bar.show();
    }

    static double opacityOf(QWidget* content) { return ui::opacityOf(*content); }
    bool settled()
    {
        return QTest::qWaitFor([&] { return !bar.isInTransition(); }, 2000);
    }

    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    int saves = 0;
    int applies = 0;
    BottomBar bar;
};

} // namespace

TEST_F(BottomBarTest, ShowsOneContentChosenBySuccessThenLoading)
{
    EXPECT_EQ(bar.state(), State::buttons);
    EXPECT_TRUE(bar.page(State::buttons)->isVisible());
    EXPECT_FALSE(bar.page(State::loading)->isVisible());
    bar.showState(true, true);
    EXPECT_EQ(bar.state(), State::success) << "success wins over loading";
    bar.showState(true, false);
    EXPECT_EQ(bar.state(), State::loading);
    ASSERT_TRUE(settled());
    for (const State state : {State::buttons, State::success})
        EXPECT_FALSE(bar.page(state)->isVisible());
    EXPECT_TRUE(bar.page(State::loading)->isVisible());
    EXPECT_EQ(bar.page(State::loading)->geometry(), bar.rect());
    bar.showState(false, false);
    EXPECT_EQ(bar.state(), State::buttons);
}

TEST_F(BottomBarTest, AChangeFadesTheOldContentDownAndTheNewOneUpIntoPlace)
{
    bar.showState(true, false);
    ASSERT_TRUE(bar.isInTransition());
    QWidget* leaving = bar.page(State::buttons);
    QWidget* coming = bar.page(State::loading);
    EXPECT_TRUE(leaving->isVisible()) << "the old content stays while it fades";
    EXPECT_TRUE(coming->isVisible());
    EXPECT_GT(opacityOf(leaving), 0.5);
    EXPECT_LT(opacityOf(coming), 0.5);
    EXPECT_GT(coming->y(), 5) << "the new content starts below its place";
    QTest::qWait(BottomBar::transitionMilliseconds / 2);
    EXPECT_GT(leaving->y(), 0);
    EXPECT_LT(coming->y(), BottomBar::transitionOffset);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(leaving->isVisible());
    EXPECT_EQ(coming->y(), 0);
    EXPECT_DOUBLE_EQ(opacityOf(coming), 1.0);
    EXPECT_EQ(coming->graphicsEffect(), nullptr) << "a settled content is drawn without an effect";
}

TEST_F(BottomBarTest, AChangeDuringATransitionEndsOnTheLatestState)
{
    bar.showState(true, false);
    bar.showState(false, true);
    bar.showState(false, false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(bar.state(), State::buttons);
    EXPECT_TRUE(bar.page(State::buttons)->isVisible());
    EXPECT_FALSE(bar.page(State::loading)->isVisible());
    EXPECT_FALSE(bar.page(State::success)->isVisible());
    EXPECT_EQ(bar.page(State::buttons)->pos(), QPoint(0, 0));
}

TEST_F(BottomBarTest, TheButtonsSitAtTheBottomCentredOnEachOther)
{
    bar.setFolderCount(2);
    const QRect save(bar.saveButton()->mapTo(&bar, QPoint()), bar.saveButton()->size());
    const QRect apply(bar.applyButton()->mapTo(&bar, QPoint()), bar.applyButton()->size());
    EXPECT_EQ(apply.bottom(), bar.rect().bottom());
    EXPECT_LE(std::abs(save.center().y() - apply.center().y()), 1);
    EXPECT_EQ(apply.left() - save.right() - 1, 12);
    EXPECT_EQ(apply.right(), bar.rect().right()) << "the apply button takes the rest of the width";
}

TEST_F(BottomBarTest, TheButtonsCountTheFoldersAndSaveNeedsOne)
{
    EXPECT_FALSE(bar.saveButton()->isEnabled());
    bar.setFolderCount(3);
    EXPECT_TRUE(bar.saveButton()->isEnabled());
    EXPECT_TRUE(bar.applyButton()->label()->text().contains(u'3'));
    QTest::mouseClick(bar.applyButton(), Qt::LeftButton);
    EXPECT_EQ(applies, 1);
    QTest::mouseClick(bar.saveButton(), Qt::LeftButton);
    EXPECT_EQ(saves, 1);
}

// The apply button's label is drawn in the window colour on the primary fill, in both appearances.
TEST_F(BottomBarTest, TheApplyLabelIsTheWindowColourOnThePrimaryFill)
{
    bar.setFolderCount(2);
    const QImage picture = bar.applyButton()->grab().toImage();
    const QColor fill = QApplication::palette().color(QPalette::WindowText);
    const QColor text = QApplication::palette().color(QPalette::Window);
    bool sawText = false;
    for (int y = 0; y < picture.height() && !sawText; ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (std::abs(pixel.lightness() - text.lightness()) < 8 &&
                std::abs(fill.lightness() - text.lightness()) > 100)
                sawText = true;
        }
    EXPECT_TRUE(sawText) << "no pixel of the label in the window colour";
    EXPECT_EQ(bar.applyButton()->label()->palette().color(bar.applyButton()->label()->foregroundRole()), text);
}
