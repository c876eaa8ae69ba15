#include "model/ColorizationData.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cmath>
#include <unordered_set>

using namespace pigmo;

namespace {

ColorizationData sample()
{
    ColorizationData data;
    data.color = HSL{195, 100, 50};
    data.intensity = 0.6;
    data.icon = Icon{QUrl(QStringLiteral("file:///opt/icons/folder.svg")), std::nullopt, std::nullopt,
                     QStringLiteral("folder"), std::nullopt};
    data.iconSize = 170;
    data.iconStyle = IconStyle::color(HSL{10, 20, 30});
    return data;
}

} // namespace

TEST(ColorizationDataTest, EqualityFollowsEveryField)
{
    const ColorizationData a = sample();
    EXPECT_EQ(a, sample());

    ColorizationData b = a;
    b.iconSize.reset();
    EXPECT_NE(a, b);
    b = a;
    b.icon->imageData = QByteArray("x");
    EXPECT_NE(a, b);
    b = a;
    b.iconStyle = IconStyle::color(HSL{10, 20, 31});
    EXPECT_NE(a, b);
    b = a;
    b.iconStyle = IconStyle::vibrant();
    EXPECT_NE(a, b);
    EXPECT_EQ(IconStyle::vibrant(), IconStyle::vibrant());
    EXPECT_NE(IconStyle::vibrant(), IconStyle::inverted());
}

TEST(ColorizationDataTest, SignedZerosAreEqualAndHashAlikeButNaNEqualsNothing)
{
    ColorizationData plus = sample();
    ColorizationData minus = sample();
    plus.color.hue = 0.0;
    minus.color.hue = -0.0;
    plus.intensity = 0.0;
    minus.intensity = -0.0;
    EXPECT_EQ(plus, minus);
    EXPECT_EQ(qHash(plus), qHash(minus));
    EXPECT_EQ(std::hash<ColorizationData>{}(plus), std::hash<ColorizationData>{}(minus));

    ColorizationData nan = sample();
    nan.intensity = std::nan("");
    EXPECT_NE(nan, nan);
}

TEST(ColorizationDataTest, HashSetsKeepDistinctStyles)
{
    ColorizationData other = sample();
    other.icon.reset();
    QSet<ColorizationData> set{sample(), sample(), other};
    EXPECT_EQ(set.size(), 2);
    std::unordered_set<Icon> icons{*sample().icon, *sample().icon, Icon{{}, {}, QStringLiteral("📁"), "f", {}}};
    EXPECT_EQ(icons.size(), 2u);
}

TEST(ColorizationDataTest, FinitenessCoversNestedNumbers)
{
    EXPECT_TRUE(sample().isFinite());
    ColorizationData data = sample();
    data.iconSize = INFINITY;
    EXPECT_FALSE(data.isFinite());
    data = sample();
    data.iconStyle = IconStyle::color(HSL{std::nan(""), 0, 0});
    EXPECT_FALSE(data.isFinite());
    data.iconStyle = IconStyle::vibrant(); // the unused colour of a non-colour style does not count
    EXPECT_TRUE(data.isFinite());
}

TEST(ColorizationDataTest, StyleTypeRawValuesAreExact)
{
    EXPECT_EQ(IconStyle::rawValue(IconStyle::StyleType::inverted), "inverted");
    EXPECT_EQ(IconStyle::styleType(QStringLiteral("color")), IconStyle::StyleType::color);
    EXPECT_FALSE(IconStyle::styleType(QStringLiteral("Vibrant")));
}
