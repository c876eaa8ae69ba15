#include "ui/controls/TextTint.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

using namespace pigmo;

TEST(TextTintTest, TheTextTakesTheApplicationsTextColourAtItsOpacityAndFollowsTheAppearance)
{
    const QPalette original = QApplication::palette();
    QWidget window;
    auto& label = *new QLabel(QStringLiteral("Text"), &window);
    ui::setTextOpacity(label, 0.5);
    const QColor text = QApplication::palette(&label).color(QPalette::WindowText);
    EXPECT_EQ(label.palette().color(QPalette::WindowText).rgb(), text.rgb());
    EXPECT_NEAR(label.palette().color(QPalette::WindowText).alphaF(), text.alphaF() * 0.5, 0.01);

    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(20, 20, 20));
    dark.setColor(QPalette::WindowText, QColor(250, 250, 250));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_EQ(label.palette().color(QPalette::WindowText).rgb(), QColor(250, 250, 250).rgb());
    EXPECT_NEAR(label.palette().color(QPalette::WindowText).alphaF(), 0.5, 0.01);

    ui::setTextOpacity(label, 0.25); // a second call changes the one tint
    EXPECT_NEAR(label.palette().color(QPalette::WindowText).alphaF(), 0.25, 0.01);
    QApplication::setPalette(original);
}
