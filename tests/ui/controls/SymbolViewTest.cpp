#include "ui/controls/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace pigmo;

TEST(SymbolViewTest, KnownSymbolsAreDrawnInTheirColourAndUnknownOnesLeaveTheSquareEmpty)
{
    SymbolView known(QStringLiteral("checkmark"), 16, ui::fixedColor(Qt::red));
    SymbolView unknown(QStringLiteral("no.such.symbol"), 16, ui::fixedColor(Qt::red));
    EXPECT_TRUE(known.hasImage());
    EXPECT_FALSE(unknown.hasImage());
    EXPECT_EQ(known.size(), QSize(16, 16));
    bool red = false;
    const QImage picture = known.grab().toImage();
    for (int y = 0; y < picture.height() && !red; ++y) {
        for (int x = 0; x < picture.width() && !red; ++x)
            red = picture.pixelColor(x, y).red() > 200 && picture.pixelColor(x, y).green() < 50;
    }
    EXPECT_TRUE(red);
    for (const char* name : {"sun.max", "moon", "circle.lefthalf.filled", "menubar.rectangle", "dock.rectangle",
                             "menubar.dock.rectangle", "square.grid.2x2.fill", "face.smiling",
                             "chevron.up.chevron.down", "folder.fill", "exclamationmark.triangle.fill", "clock"})
        EXPECT_TRUE(symbolImage(QString::fromLatin1(name))) << name;
}

TEST(SymbolViewTest, APlainButtonTakesClicksOnItsChildrenAndDrawsThemAsWindowText)
{
    PlainButton button;
    auto* row = new QHBoxLayout(&button);
    auto* label = new QLabel(QStringLiteral("Label"));
    row->addWidget(label);
    button.makeChildrenTransparent();
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(label, Qt::LeftButton); // passes through to the button
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(&button, Qt::LeftButton, {}, label->geometry().center());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(label->foregroundRole(), QPalette::WindowText);
    EXPECT_EQ(button.sizeHint(), button.layout()->sizeHint());
}
