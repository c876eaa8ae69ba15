#include "ui/onboarding/LoopingVideoView.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMovie>
#include <QPalette>
#include <QTest>

using namespace pigmo;
using pigmo::test::waitUntil;

namespace {

QImage grabbed(QWidget& view)
{
    return view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(LoopingVideoViewTest, EveryTutorialAnimationPlaysFromCreationAndLoopsForever)
{
    for (const char* name : {"onboarding_drag", "onboarding_rightclick", "onboarding_watcher"}) {
        LoopingVideoView view(QString::fromLatin1(name));
        ASSERT_NE(view.movie(), nullptr) << name;
        EXPECT_TRUE(view.isPlaying()) << name;
        EXPECT_EQ(view.movie()->loopCount(), -1) << name;
        EXPECT_GT(view.movie()->frameCount(), 20) << name;
    }

    LoopingVideoView view(QStringLiteral("onboarding_watcher"));
    view.resize(320, 200);
    view.show();
    view.movie()->setSpeed(2000); // a five-second loop in a quarter of a second
    int highest = 0;
    bool wrapped = false;
    QObject::connect(view.movie(), &QMovie::frameChanged, &view, [&](int frame) {
        if (frame < highest)
            wrapped = true;
        highest = std::max(highest, frame);
    });
    EXPECT_TRUE(waitUntil([&] { return wrapped; })) << "the last frame is followed by the first";
    EXPECT_GT(highest, 20);
    EXPECT_TRUE(view.isPlaying());
}

TEST(LoopingVideoViewTest, TheFrameCoversTheViewKeepingItsAspectRatio)
{
    LoopingVideoView view(QStringLiteral("onboarding_drag"));
    ASSERT_NE(view.movie(), nullptr);
    const QSizeF natural = view.movie()->currentImage().size();
    ASSERT_NEAR(natural.width() / natural.height(), 1.6, 0.001);

    view.resize(800, 400); // wider than the animation: cropped above and below
    EXPECT_EQ(view.frameRect(), QRectF(0, -50, 800, 500));
    view.resize(400, 400); // narrower: cropped at both sides
    EXPECT_EQ(view.frameRect(), QRectF(-120, 0, 640, 400));
    view.resize(480, 300); // the same ratio: the whole frame
    EXPECT_EQ(view.frameRect(), QRectF(0, 0, 480, 300));
}

TEST(LoopingVideoViewTest, TheViewShowsTheCurrentFrameInsideARoundedBox)
{
    LoopingVideoView view(QStringLiteral("onboarding_rightclick"));
    ASSERT_NE(view.movie(), nullptr);
    view.movie()->setPaused(true);
    view.resize(480, 300);
    const QImage frame = view.movie()->currentImage().convertToFormat(QImage::Format_ARGB32);
    const QImage shown = grabbed(view);
    const QPoint middle(240, 150);
    const QColor expected = frame.pixelColor(frame.width() / 2, frame.height() / 2);
    const QColor actual = shown.pixelColor(middle);
    EXPECT_NEAR(actual.red(), expected.red(), 8);
    EXPECT_NEAR(actual.green(), expected.green(), 8);
    EXPECT_NEAR(actual.blue(), expected.blue(), 8);
    EXPECT_NE(shown.pixelColor(0, 0), shown.pixelColor(12, 12)) << "the corner lies outside the rounded box";
}

TEST(LoopingVideoViewTest, AMissingNameOrFileLeavesAnEmptyTintedBox)
{
    for (const std::optional<QString>& name :
         {std::optional<QString>(), std::optional(QStringLiteral("no_such_clip"))}) {
        LoopingVideoView view(name);
        EXPECT_EQ(view.movie(), nullptr);
        EXPECT_FALSE(view.isPlaying());
        EXPECT_TRUE(view.frameRect().isEmpty());
        view.resize(160, 100);
        const QImage shown = grabbed(view);
        const QColor background = shown.pixelColor(0, 0);
        const QColor inside = shown.pixelColor(80, 50);
        EXPECT_EQ(inside, shown.pixelColor(20, 80)) << "one even tint inside";
        EXPECT_LT(inside.lightness(), view.palette().color(QPalette::Window).lightness())
            << "black at 6 % darkens the surface";
        EXPECT_NE(inside, background);
    }
}
