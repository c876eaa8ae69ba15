#include "ui/controls/SegmentedPicker.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

using namespace pigmo;

namespace {

struct PickerFixture : ::testing::Test {
    QString selected = QStringLiteral("emoji");
    QList<double> drawnSelections;
    SegmentedPicker<QString> picker{Binding<QString>::of(selected),
                                    {QStringLiteral("lucide"), QStringLiteral("emoji"), QStringLiteral("symbols")},
                                    [](const QString&) { return QSize(60, 24); },
                                    [this](QPainter& painter, const QRectF& rect, const QString&, double selection) {
                                        drawnSelections.append(selection);
                                        painter.fillRect(rect, QColor(0, 0, 0, int(255 * selection)));
                                    }};
};

} // namespace

TEST_F(PickerFixture, PressingASegmentSelectsItsItemWithATenthOfASecondEaseOut)
{
    picker.show();
    EXPECT_EQ(picker.selectionAmount(1), 1.0);
    QTest::mouseClick(&picker, Qt::LeftButton, {}, picker.segmentRect(2).center());
    EXPECT_EQ(selected, QStringLiteral("symbols"));
    EXPECT_TRUE(picker.isAnimating());
    EXPECT_LT(picker.selectionAmount(2), 1.0);
    EXPECT_GT(picker.selectionAmount(1), 0.0);
    const QVariantAnimation& animation = picker.selectionAnimation();
    EXPECT_EQ(animation.duration(), 100);
    EXPECT_GT(animation.easingCurve().valueForProgress(0.3), 0.4); // an ease-out is well ahead early on
    EXPECT_NEAR(animation.easingCurve().valueForProgress(1.0), 1.0, 1e-9);
    QTRY_VERIFY_WITH_TIMEOUT(!picker.isAnimating(), 1000);
    EXPECT_EQ(picker.selectionAmount(2), 1.0);
    EXPECT_EQ(picker.selectionAmount(1), 0.0);
}

TEST_F(PickerFixture, ASelectionOutsideTheItemsShowsEverySegmentUnselected)
{
    selected = QStringLiteral("none");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(picker.selectionAmount(i), 0.0);
    drawnSelections.clear();
    picker.grab();
    EXPECT_EQ(drawnSelections, (QList<double>{0, 0, 0}));
}

TEST_F(PickerFixture, ArrowKeysMoveTheSelection)
{
    picker.show();
    picker.setFocus();
    QTest::keyClick(&picker, Qt::Key_Left);
    EXPECT_EQ(selected, QStringLiteral("lucide"));
    QTest::keyClick(&picker, Qt::Key_Left);
    EXPECT_EQ(selected, QStringLiteral("lucide"));
    QTest::keyClick(&picker, Qt::Key_Right);
    EXPECT_EQ(selected, QStringLiteral("emoji"));
    EXPECT_EQ(picker.sizeHint(), QSize(3 * 60 + 2 * SegmentedPickerBase::spacing, 24));
}
