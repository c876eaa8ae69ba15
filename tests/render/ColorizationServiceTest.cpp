#include "render/ColorizationService.h"
#include "CompositingReference.h"
#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <future>
#include <vector>

using pigmo::ColorizationData;
using pigmo::ColorizationService;
using pigmo::HSL;
using pigmo::Icon;
using pigmo::IconStyle;

namespace {

ColorizationData style(HSL color, double intensity, std::optional<Icon> icon = std::nullopt,
                       std::optional<double> iconSize = std::nullopt, IconStyle iconStyle = IconStyle::vibrant())
{
    return ColorizationData{color, intensity, std::move(icon), iconSize, iconStyle};
}

QImage render(const ColorizationData& data)
{
    std::optional<QImage> image = ColorizationService::generateIcon(data);
    EXPECT_TRUE(image);
    return image.value_or(QImage());
}

Icon imageFileIcon(const QString& path)
{
    Icon icon;
    icon.url = QUrl::fromLocalFile(path);
    icon.name = QStringLiteral("glyph");
    return icon;
}

Icon emojiIcon(const char* utf8)
{
    Icon icon;
    icon.emoji = QString::fromUtf8(utf8);
    icon.name = QStringLiteral("emoji");
    return icon;
}

Icon lucideIcon(const char* name)
{
    return pigmo::IconsModel(pigmo::BundleResources::directory()).lucideIcon(QString::fromLatin1(name)).value();
}

// The rectangle of pixels that differ from `reference` by more than `threshold` in some channel.
QRect changedArea(const QImage& image, const QImage& reference, int threshold = 8)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > threshold || std::abs(qGreen(a) - qGreen(b)) > threshold ||
                std::abs(qBlue(a) - qBlue(b)) > threshold || std::abs(qAlpha(a) - qAlpha(b)) > threshold)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// Points where the base is opaque: the front, the back tab and the sheet between them.
const QPoint frontPoints[] = {{256, 300}, {120, 380}, {400, 200}, {256, 420}, {100, 85}, {256, 128}};

class ColorizationServiceTest : public ::testing::Test {
protected:
    // An opaque image glyph file of the given size: red, or red with a green left half.
    QString glyphFile(int width, int height, bool twoColours = false)
    {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(Qt::red);
        if (twoColours)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width / 2; ++x)
                    image.setPixel(x, y, qRgb(0, 255, 0));
        const QString path = dir.path() + QStringLiteral("/glyph-%1x%2-%3.png").arg(width).arg(height).arg(twoColours);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ColorizationServiceTest, BaseImagesAreTheBundlesArtwork)
{
    ASSERT_TRUE(ColorizationService::neutralFolderImage());
    ASSERT_TRUE(ColorizationService::blueFolderImage());
    EXPECT_EQ(ColorizationService::neutralFolderImage()->size(), QSize(512, 512));
    EXPECT_EQ(ColorizationService::neutralFolderImage()->format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(ColorizationService::neutralFolderImage()->pixel(2, 2)), 0); // transparent surround
}

TEST_F(ColorizationServiceTest, BlueBaseOnlyForTheExactBlueStyle)
{
    const QImage blue = *ColorizationService::blueFolderImage();
    EXPECT_EQ(render(style(HSL{195, 100, 45}, 0.65)), blue);
    EXPECT_TRUE(ColorizationService::usesBlueBase(style(HSL{195.0, 100.0, 45.0}, 0.65)));
    EXPECT_FALSE(ColorizationService::usesBlueBase(style(HSL{195, 100, 45}, 0.66)));
    EXPECT_FALSE(ColorizationService::usesBlueBase(style(HSL{195, 100, 45.0001}, 0.65)));

    const QImage neutral = *ColorizationService::neutralFolderImage();
    for (const ColorizationData& near : {style(HSL{195, 100, 45}, 0.66), style(HSL{195, 100, 45.0001}, 0.65)}) {
        const QImage image = render(near);
        EXPECT_NE(image, blue);
        for (const QPoint& p : frontPoints)
            EXPECT_LE(pigmo::test::maxChannelDifference(
                          image.pixel(p), pigmo::test::tintedPixel(neutral.pixel(p), near.color.color(), near.intensity,
                                                                   near.intensity * 0.8153846153846154)),
                      2.0);
    }
}

TEST_F(ColorizationServiceTest, TintRunsTheColourPassAtTheScaledIntensity)
{
    const QImage neutral = *ColorizationService::neutralFolderImage();
    double worstIfUnscaled = 0;
    for (const auto& [intensity, colourOpacity] : {std::pair{0.65, 0.53}, {1.0, 0.8153846153846154}, {0.3, 0.2446}}) {
        for (const HSL& color : {HSL{0, 100, 50}, HSL{120, 80, 30}, HSL{270, 60, 70}}) {
            const QImage image = render(style(color, intensity));
            double worst = 0;
            for (const QPoint& p : frontPoints) {
                worst = std::max(worst, pigmo::test::maxChannelDifference(
                                            image.pixel(p), pigmo::test::tintedPixel(neutral.pixel(p), color.color(),
                                                                                     intensity, colourOpacity)));
                worstIfUnscaled = std::max(worstIfUnscaled,
                                           pigmo::test::maxChannelDifference(
                                               image.pixel(p), pigmo::test::tintedPixel(neutral.pixel(p), color.color(),
                                                                                        intensity, intensity)));
            }
            EXPECT_LE(worst, 2.0) << intensity << " hue " << color.hue;
        }
    }
    EXPECT_GT(worstIfUnscaled, 6.0); // the check tells the two opacities apart
    // The tint never reaches outside the base's opaque pixels.
    EXPECT_EQ(render(style(HSL{0, 100, 50}, 1.0)).pixel(2, 2), 0u);
}

TEST_F(ColorizationServiceTest, ZeroIntensityLeavesTheNeutralBaseMaskedByItself)
{
    // Both fills are transparent; the destination-in mask still multiplies the base's edge pixels by
    // their own coverage.
    const QImage base = *ColorizationService::neutralFolderImage();
    const QImage image = render(style(HSL{0, 100, 50}, 0.0));
    int worst = 0;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const QRgb b = base.pixel(x, y);
            const QRgb r = image.pixel(x, y);
            const auto masked = [&](int channel) { return (channel * qAlpha(b) + 127) / 255; };
            worst = std::max({worst, std::abs(qRed(r) - masked(qRed(b))), std::abs(qGreen(r) - masked(qGreen(b))),
                              std::abs(qBlue(r) - masked(qBlue(b))), std::abs(qAlpha(r) - masked(qAlpha(b)))});
        }
    }
    EXPECT_LE(worst, 1);
    EXPECT_EQ(image.pixel(256, 300), base.pixel(256, 300));
}

TEST_F(ColorizationServiceTest, WideAndTallGlyphsKeepTheirAspectWithTheLongerSideAtIconSize)
{
    const QImage plain = render(style(HSL{30, 50, 50}, 0.5));
    // 200 × 100 at 170: 170 × 85, from x 171 and from y 243.5 (top-left origin).
    const QImage wide =
        render(style(HSL{30, 50, 50}, 0.5, imageFileIcon(glyphFile(200, 100)), 170, IconStyle::original()));
    EXPECT_EQ(changedArea(wide, plain, 2), QRect(QPoint(171, 243), QPoint(340, 328)));
    EXPECT_EQ(wide.pixel(171, 244), qRgb(255, 0, 0));
    EXPECT_EQ(wide.pixel(340, 327), qRgb(255, 0, 0));
    EXPECT_NE(wide.pixel(256, 243), qRgb(255, 0, 0)); // half-covered edge rows
    EXPECT_NE(wide.pixel(256, 328), qRgb(255, 0, 0));
    EXPECT_EQ(wide.pixel(170, 286), plain.pixel(170, 286));

    // 100 × 200 at 170: 85 × 170, from x 213.5 and from y 201.
    const QImage tall =
        render(style(HSL{30, 50, 50}, 0.5, imageFileIcon(glyphFile(100, 200)), 170, IconStyle::original()));
    EXPECT_EQ(changedArea(tall, plain, 2), QRect(QPoint(213, 201), QPoint(298, 370)));
    EXPECT_EQ(tall.pixel(214, 201), qRgb(255, 0, 0));
    EXPECT_EQ(tall.pixel(297, 370), qRgb(255, 0, 0));
    EXPECT_NE(tall.pixel(213, 286), qRgb(255, 0, 0));
}

TEST_F(ColorizationServiceTest, GlyphStylesColourTheImage)
{
    const Icon glyph = imageFileIcon(glyphFile(100, 100, true));
    const QPoint green(236, 286);
    const QPoint red(276, 286);

    const QImage original = render(style(HSL{200, 80, 40}, 0.7, glyph, 100, IconStyle::original()));
    EXPECT_EQ(original.pixel(green), qRgb(0, 255, 0));
    EXPECT_EQ(original.pixel(red), qRgb(255, 0, 0));

    // vibrant: grey 0.4 under the tint at `intensity`, the same on both halves.
    const QImage vibrant = render(style(HSL{0, 100, 50}, 0.5, glyph, 100, IconStyle::vibrant()));
    EXPECT_EQ(vibrant.pixel(green), vibrant.pixel(red));
    EXPECT_NEAR(qRed(vibrant.pixel(red)), 0.5 * 102 + 0.5 * 255, 1);
    EXPECT_NEAR(qGreen(vibrant.pixel(red)), 51, 1);

    // inverted: the complementary hue.
    for (const auto& [hue, complement] : {std::pair{300, 120}, {180, 0}}) {
        const QImage inverted = render(style(HSL{double(hue), 100, 50}, 1.0, glyph, 100, IconStyle::inverted()));
        EXPECT_EQ(QColor::fromRgba(inverted.pixel(red)).hue(), complement) << hue;
        EXPECT_EQ(inverted.pixel(red), inverted.pixel(green));
    }

    // color(c): c at full opacity, whatever the intensity.
    const HSL c{240, 100, 50};
    for (double intensity : {0.1, 0.9})
        EXPECT_EQ(render(style(HSL{60, 100, 50}, intensity, glyph, 100, IconStyle::color(c))).pixel(red),
                  qRgb(0, 0, 255));
}

TEST_F(ColorizationServiceTest, ImageWithoutIconSizeFallsBackToTheEmojiAt120)
{
    const ColorizationData plain = style(HSL{90, 60, 50}, 0.6);
    Icon both = imageFileIcon(glyphFile(100, 100));
    EXPECT_EQ(render(style(plain.color, 0.6, both)), render(plain)); // the image is dropped

    both.emoji = QString::fromUtf8("🦊");
    const QImage withEmoji = render(style(plain.color, 0.6, both));
    EXPECT_EQ(withEmoji, render(style(plain.color, 0.6, emojiIcon("🦊"), std::nullopt)));
    EXPECT_EQ(withEmoji, render(style(plain.color, 0.6, emojiIcon("🦊"), 120.0)));
    EXPECT_NE(withEmoji, render(plain));
}

TEST_F(ColorizationServiceTest, EmojiIsCentredOnTheGlyphCentreAndFadedByIntensity)
{
    const QImage plain = render(style(HSL{0, 0, 50}, 1.0));
    const QImage emoji = render(style(HSL{0, 0, 50}, 1.0, emojiIcon("🍎"), 170, IconStyle::original()));
    const QRect area = changedArea(emoji, plain);
    ASSERT_FALSE(area.isEmpty());
    EXPECT_NEAR(area.center().x(), 256, 12);
    EXPECT_NEAR(area.center().y(), 286, 16);
    EXPECT_GT(area.width(), 120);
    EXPECT_LT(area.width(), 200);

    // vibrant fades the colour font's picture with the intensity; original keeps it whole.
    const QRgb opaque = emoji.pixel(area.center());
    const QRgb faded =
        render(style(HSL{0, 0, 50}, 1.0, emojiIcon("🍎"), 170, IconStyle::vibrant())).pixel(area.center());
    const ColorizationData dim = style(HSL{0, 0, 50}, 0.25, emojiIcon("🍎"), 170, IconStyle::vibrant());
    const QRgb dimmed = render(dim).pixel(area.center());
    const QRgb dimBase = render(style(HSL{0, 0, 50}, 0.25)).pixel(area.center());
    EXPECT_EQ(faded, opaque); // intensity 1: fully opaque
    EXPECT_NEAR(qRed(dimmed), 0.25 * qRed(opaque) + 0.75 * qRed(dimBase), 3);
}

TEST_F(ColorizationServiceTest, JoinedEmojiIsDrawnAsOnePicture)
{
    // "eye in speech bubble" carries U+FE0F inside the joined sequence.
    const QImage plain = render(style(HSL{0, 0, 50}, 1.0));
    const QImage joined = render(
        style(HSL{0, 0, 50}, 1.0, emojiIcon("\U0001F441\uFE0F\u200D\U0001F5E8\uFE0F"), 170, IconStyle::original()));
    const QImage single = render(style(HSL{0, 0, 50}, 1.0, emojiIcon("🍎"), 170, IconStyle::original()));
    EXPECT_LT(changedArea(joined, plain).width(), changedArea(single, plain).width() * 1.3);
}

TEST_F(ColorizationServiceTest, TwelveLoadingRendersInHueOrder)
{
    const QList<QImage>& icons = ColorizationService::loadingIcons();
    ASSERT_EQ(icons.size(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(icons[i], render(style(HSL{i * 30.0, 85, 52}, 0.7))) << i;
    EXPECT_EQ(&ColorizationService::loadingIcons(), &icons);
}

TEST_F(ColorizationServiceTest, FourThreadsRenderTheSameStyleAlike)
{
    const std::vector<ColorizationData> styles = {
        style(HSL{20, 90, 55}, 0.8, lucideIcon("folder-git-2"), 170, IconStyle::vibrant()),
        style(HSL{200, 70, 40}, 0.6, emojiIcon("🦊"), 150, IconStyle::vibrant()),
        style(HSL{320, 60, 60}, 0.5, lucideIcon("guitar"), 190, IconStyle::inverted()),
    };
    for (const ColorizationData& data : styles) {
        const QImage expected = render(data);
        std::vector<std::future<std::vector<QImage>>> workers;
        for (int t = 0; t < 4; ++t)
            workers.push_back(std::async(std::launch::async, [&data] {
                std::vector<QImage> images;
                for (int i = 0; i < 5; ++i)
                    images.push_back(ColorizationService::generateIcon(data).value_or(QImage()));
                return images;
            }));
        for (auto& worker : workers)
            for (const QImage& image : worker.get())
                EXPECT_EQ(image, expected);
    }
}

TEST_F(ColorizationServiceTest, HostileGlyphSizesStayBounded)
{
    const QImage plain = render(style(HSL{10, 50, 50}, 0.5));
    EXPECT_EQ(render(style(HSL{10, 50, 50}, 0.5, lucideIcon("star"), 0.0)), plain);
    EXPECT_EQ(render(style(HSL{10, 50, 50}, 0.5, lucideIcon("star"), -40.0)), plain);
    EXPECT_TRUE(ColorizationService::generateIcon(style(HSL{10, 50, 50}, 0.5, lucideIcon("star"), 1e9)));
    EXPECT_TRUE(ColorizationService::generateIcon(style(HSL{10, 50, 50}, 0.5, emojiIcon("🍎"), 1e9)));
}

// Twelve characteristic styles, saved next to the test program for a look by eye.
TEST_F(ColorizationServiceTest, SavesADozenStylesForInspection)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/renders");
    ASSERT_TRUE(QDir().mkpath(folder));
    const std::vector<std::pair<const char*, ColorizationData>> styles = {
        {"01-blue-base", style(HSL{195, 100, 45}, 0.65)},
        {"02-red-plain", style(HSL{0, 85, 52}, 0.7)},
        {"03-default-folder-glyph", style(HSL{195, 100, 50}, 0.6, lucideIcon("folder"), 170)},
        {"04-green-music", style(HSL{130, 70, 40}, 0.8, lucideIcon("guitar"), 170)},
        {"05-purple-code-inverted", style(HSL{280, 60, 55}, 0.7, lucideIcon("code"), 190, IconStyle::inverted())},
        {"06-orange-camera-color",
         style(HSL{30, 95, 55}, 0.9, lucideIcon("camera"), 150, IconStyle::color(HSL{0, 0, 100}))},
        {"07-yellow-emoji", style(HSL{50, 100, 50}, 0.6, emojiIcon("🍋"), std::nullopt)},
        {"08-pink-emoji-original", style(HSL{330, 80, 65}, 0.5, emojiIcon("🦊"), 200, IconStyle::original())},
        {"09-dark-symbol", style(HSL{220, 30, 20}, 1.0,
                                 Icon{{}, QStringLiteral("folder.open"), {}, QStringLiteral("folder.open"), {}}, 160)},
        {"10-joined-emoji", style(HSL{170, 70, 45}, 0.75, emojiIcon("👨‍💻"), 170, IconStyle::vibrant())},
        {"11-faint", style(HSL{0, 100, 50}, 0.1, lucideIcon("heart"), 170)},
        {"12-grey-full", style(HSL{0, 0, 60}, 1.0, lucideIcon("archive"), 170, IconStyle::vibrant())},
    };
    for (const auto& [name, data] : styles)
        EXPECT_TRUE(render(data).save(folder + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"))) << name;
}

// Run in a fresh process (death-test style "threadsafe") so that the bundle location is decided anew.
TEST(ColorizationServiceMissingBaseTest, MissingArtworkGivesNothingWithoutFallingBack)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir resources;
            QDir().mkpath(resources.path() + QStringLiteral("/images"));
            QFile::copy(QStringLiteral(PIGMO_TEST_DATA_DIR "/../../resources/images/folder-blue.png"),
                        resources.path() + QStringLiteral("/images/folder-blue.png"));
            qputenv("PIGMO_RESOURCES_DIR", resources.path().toUtf8());
            const bool blue = ColorizationService::generateIcon(style(HSL{195, 100, 45}, 0.65)).has_value();
            const bool neutral = ColorizationService::generateIcon(style(HSL{195, 100, 45}, 0.66)).has_value();
            const bool loading = !ColorizationService::loadingIcons().isEmpty();
            std::exit(blue && !neutral && !loading && !ColorizationService::neutralFolderImage() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
