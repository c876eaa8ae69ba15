#include "ui/controls/FlowLayout.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace pigmo;

namespace {

// A child whose ideal size is fixed.
QWidget* child(QWidget* parent, int width, int height)
{
    auto* widget = new QWidget(parent);
    widget->setFixedSize(width, height);
    return widget;
}

} // namespace

TEST(FlowLayoutTest, WrapsAtTheWidthWithOneSpacingBetweenNeighboursAndRows)
{
    QWidget host;
    auto* flow = new FlowLayout(10, &host);
    QWidget* a = child(&host, 40, 20);
    QWidget* b = child(&host, 40, 30);
    QWidget* c = child(&host, 40, 25);
    for (QWidget* w : {a, b, c})
        flow->addWidget(w);
    EXPECT_TRUE(flow->hasHeightForWidth());
    EXPECT_EQ(flow->sizeThatFits(100), QSize(100, 30 + 10 + 25));
    EXPECT_EQ(flow->heightForWidth(100), 65);
    EXPECT_EQ(flow->sizeThatFits(std::nullopt), QSize(40 * 3 + 20, 30));
    EXPECT_EQ(flow->sizeThatFits(140), QSize(140, 30));

    flow->setGeometry(QRect(0, 0, 100, 65));
    EXPECT_EQ(a->geometry(), QRect(0, 0, 40, 20));
    EXPECT_EQ(b->geometry(), QRect(50, 0, 40, 30));
    EXPECT_EQ(c->geometry(), QRect(0, 40, 40, 25));
}

TEST(FlowLayoutTest, AChildWiderThanTheRowStandsAloneAndTheNextStartsANewRow)
{
    QWidget host;
    auto* flow = new FlowLayout(8, &host);
    QWidget* wide = child(&host, 150, 20);
    QWidget* next = child(&host, 30, 20);
    flow->addWidget(wide);
    flow->addWidget(next);
    EXPECT_EQ(flow->sizeThatFits(100), QSize(100, 48));
    flow->setGeometry(QRect(5, 5, 100, 48));
    EXPECT_EQ(wide->geometry(), QRect(5, 5, 150, 20));
    EXPECT_EQ(next->geometry(), QRect(5, 33, 30, 20));
}

TEST(FlowLayoutTest, NoChildrenMeasureNothingHigh)
{
    QWidget host;
    FlowLayout flow(10);
    EXPECT_EQ(flow.sizeThatFits(120), QSize(120, 0));
    EXPECT_EQ(flow.sizeThatFits(std::nullopt), QSize(0, 0));
}

TEST(FlowLayoutTest, AHostWidgetTakesTheHeightItsWidthNeeds)
{
    QWidget host;
    auto* flow = new FlowLayout(10, &host);
    for (int i = 0; i < 6; ++i)
        flow->addWidget(child(&host, 40, 20));
    host.resize(100, 10);
    host.show();
    EXPECT_EQ(host.heightForWidth(100), 3 * 20 + 2 * 10);
    EXPECT_EQ(host.heightForWidth(200), 2 * 20 + 10);
}
