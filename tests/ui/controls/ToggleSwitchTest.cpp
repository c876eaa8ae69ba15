#include "ui/controls/ToggleSwitch.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace pigmo;

TEST(ToggleSwitchTest, AClickOrSpaceFlipsItAndTheProgramSetsItSilently)
{
    ToggleSwitch toggle;
    toggle.show();
    QSignalSpy clicked(&toggle, &QAbstractButton::clicked);
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(3, 3)); // the whole rectangle takes clicks
    EXPECT_TRUE(toggle.isChecked());
    toggle.setFocus();
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_EQ(clicked.count(), 2);
    toggle.setChecked(true);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_TRUE(toggle.isChecked());
}

TEST(ToggleSwitchTest, ADisabledSwitchShowsItsValueAndTakesNoInput)
{
    ToggleSwitch toggle;
    toggle.setChecked(true); // not shown yet: the knob stands at once
    EXPECT_EQ(toggle.knobPosition(), 1.0);
    toggle.setEnabled(false);
    toggle.show();
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isChecked());
    const QImage on = toggle.grab().toImage();
    toggle.setEnabled(true);
    toggle.setChecked(false);
    QTest::qWait(200); // the knob's short animation
    EXPECT_EQ(toggle.knobPosition(), 0.0);
    EXPECT_NE(toggle.grab().toImage(), on);
}
