#include "ui/editor/ApplyAnimationOverlay.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace pigmo;

namespace {

QImage solid(QColor color)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

ApplyAnimationItem item(QImage before, QImage after, ApplyAnimationPhase phase)
{
    ApplyAnimationItem made;
    made.before = std::move(before);
    made.after = std::move(after);
    made.phase = phase;
    return made;
}

struct ApplyAnimationOverlayTest : ::testing::Test {
    ApplyAnimationOverlay overlay;
    QPoint centre{300, 250};

    ApplyAnimationOverlayTest()
    {
        overlay.resize(600, 500);
        overlay.show();
        QApplication::processEvents();
    }
    QImage frame() { return overlay.grab().toImage(); }
    QColor background() const { return overlay.palette().color(QPalette::Window); }
    QColor at(const QImage& image, int dx, int dy) { return image.pixelColor(centre + QPoint(dx, dy)); }
};

} // namespace

TEST_F(ApplyAnimationOverlayTest, ThePhasesPlaceAndFadeTheTwoPicturesOfOneCard)
{
    overlay.setItems({item(solid(Qt::red), solid(Qt::blue), ApplyAnimationPhase::hidden)});
    EXPECT_EQ(overlay.cardSideForCount(), 160);
    QImage image = frame();
    EXPECT_EQ(at(image, 0, 0), background());                     // hidden: nothing of the card
    EXPECT_EQ(overlay.cardLook(0), (ApplyCardLook{0, 0, 0, 14})); // the new icon waits 14 points below

    overlay.setItems({item(solid(Qt::red), solid(Qt::blue), ApplyAnimationPhase::rising)});
    image = frame();
    EXPECT_EQ(at(image, 0, 0), QColor(Qt::red));
    EXPECT_EQ(at(image, -79, -79), QColor(Qt::red)); // a 160-point card about the centre
    EXPECT_EQ(at(image, -82, 0), background());
    EXPECT_EQ(at(image, 0, 82), background());

    overlay.setItems({item(solid(Qt::red), solid(Qt::blue), ApplyAnimationPhase::risen)});
    image = frame();
    EXPECT_EQ(at(image, 0, -92), QColor(Qt::red)); // moved up by 14
    EXPECT_EQ(at(image, 0, 70), background());

    for (ApplyAnimationPhase phase : {ApplyAnimationPhase::crossing, ApplyAnimationPhase::settled}) {
        overlay.setItems({item(solid(Qt::red), solid(Qt::blue), phase)});
        image = frame();
        EXPECT_EQ(at(image, 0, 0), QColor(Qt::blue));
        EXPECT_EQ(at(image, 0, -92), QColor(Qt::blue)); // resting 14 points up
        EXPECT_EQ(at(image, 0, 70), background());
    }

    // Half-way through the rise, as an animation sets it, and at half opacity.
    overlay.setItems({item(solid(Qt::red), {}, ApplyAnimationPhase::rising)});
    overlay.setCardLook(0, ApplyCardLook::between(ApplyCardLook::of(ApplyAnimationPhase::hidden),
                                                  ApplyCardLook::of(ApplyAnimationPhase::risen), 0.5));
    image = frame();
    EXPECT_NEAR(at(image, 0, 0).redF(), 0.5 + 0.5 * background().redF(), 0.02);
    EXPECT_NEAR(at(image, 0, 0).greenF(), 0.5 * background().greenF(), 0.02);
    EXPECT_EQ(at(image, 0, -88), background()); // 7 points up: the top edge at -87
}

TEST_F(ApplyAnimationOverlayTest, MissingPicturesShowNothingInTheirPhases)
{
    overlay.setItems({item({}, solid(Qt::blue), ApplyAnimationPhase::risen)});
    EXPECT_EQ(at(frame(), 0, 0), background()); // no before-image: nothing until the crossing
    overlay.setItems({item(solid(Qt::red), {}, ApplyAnimationPhase::crossing)});
    EXPECT_EQ(at(frame(), 0, 0), background()); // no after-image: nothing from the crossing on
}

TEST_F(ApplyAnimationOverlayTest, SeveralCardsFanOutWithTheFirstInFrontAndLeftmost)
{
    overlay.setItems({item(solid(Qt::red), {}, ApplyAnimationPhase::rising),
                      item(solid(Qt::green), {}, ApplyAnimationPhase::rising),
                      item(solid(Qt::blue), {}, ApplyAnimationPhase::rising)});
    EXPECT_EQ(overlay.cardSideForCount(), 120);
    EXPECT_EQ(overlay.cardOffset(0), QPointF(-20, 0));
    EXPECT_EQ(overlay.cardOffset(2), QPointF(20, 0));
    const QImage image = frame();
    EXPECT_EQ(at(image, -79, 0), QColor(Qt::red));
    EXPECT_EQ(at(image, 30, 0), QColor(Qt::red));   // the first card covers the others
    EXPECT_EQ(at(image, 50, 0), QColor(Qt::green)); // past the first card's edge (+40)
    EXPECT_EQ(at(image, 70, 0), QColor(Qt::blue));  // past the second's (+60)
    EXPECT_EQ(at(image, 82, 0), background());
    EXPECT_EQ(at(image, 0, 62), background()); // 120 points high
}

TEST_F(ApplyAnimationOverlayTest, TheBadgeGrowsInBelowTheCards)
{
    overlay.setItems({item(solid(Qt::red), {}, ApplyAnimationPhase::settled)});
    EXPECT_EQ(overlay.badgeScale(), ApplyAnimationOverlay::hiddenBadgeScale);
    EXPECT_EQ(overlay.badgeOpacity(), 0);
    EXPECT_EQ(at(frame(), -20, 120), background());

    overlay.setShowCheckmark(true);
    EXPECT_EQ(overlay.badgeScale(), 1);
    EXPECT_EQ(overlay.badgeOffset(), QPointF(0, 120));
    QImage image = frame();
    EXPECT_EQ(at(image, -20, 120), ApplyAnimationOverlay::badgeGreen);
    EXPECT_EQ(at(image, 15, 105), ApplyAnimationOverlay::badgeGreen);
    EXPECT_NE(at(image, -29, 120), ApplyAnimationOverlay::badgeGreen); // 56 points across

    overlay.setItems({item({}, {}, ApplyAnimationPhase::settled), item({}, {}, ApplyAnimationPhase::settled)});
    EXPECT_EQ(overlay.badgeOffset(), QPointF(0, 100));
    image = frame();
    EXPECT_EQ(at(image, -20, 100), ApplyAnimationOverlay::badgeGreen);

    overlay.setBadgeProgress(0.5); // half grown: 0.7 of its size, half opaque
    EXPECT_DOUBLE_EQ(overlay.badgeScale(), 0.7);
    image = frame();
    EXPECT_NE(at(image, -22, 100), ApplyAnimationOverlay::badgeGreen);
    EXPECT_NEAR(at(image, -16, 100).greenF(),
                0.5 * ApplyAnimationOverlay::badgeGreen.greenF() + 0.5 * background().greenF(), 0.03);
}
