#include "xattr/XAttrOptions.h"

#include <gtest/gtest.h>

using pigmo::xattr::XAttrOptions;

TEST(XAttrOptionsTest, RawValuesAreThePortableFlags)
{
    EXPECT_EQ(XAttrOptions().rawValue(), 0);
    EXPECT_EQ((XAttrOptions{XAttrOptions::noFollow, XAttrOptions::create, XAttrOptions::replace,
                            XAttrOptions::showCompression})
                  .rawValue(),
              1 | 2 | 4 | 32);
    EXPECT_EQ(XAttrOptions(6), (XAttrOptions{XAttrOptions::create, XAttrOptions::replace}));
}

TEST(XAttrOptionsTest, SetAlgebraOnTheRawBits)
{
    const XAttrOptions both{XAttrOptions::noFollow, XAttrOptions::create};
    EXPECT_EQ(both & XAttrOptions::create, XAttrOptions::create);
    EXPECT_EQ(both ^ XAttrOptions(3), XAttrOptions());
    EXPECT_EQ(both - XAttrOptions::noFollow, XAttrOptions::create);
    EXPECT_TRUE(both.contains(XAttrOptions::noFollow));
    EXPECT_FALSE(both.contains(XAttrOptions{XAttrOptions::noFollow, XAttrOptions::replace}));
    EXPECT_TRUE(XAttrOptions::create.isSubset(both));
    EXPECT_TRUE(both.isDisjoint(XAttrOptions::replace));

    XAttrOptions options;
    EXPECT_TRUE(options.insert(XAttrOptions::replace));
    EXPECT_FALSE(options.insert(XAttrOptions::replace));
    EXPECT_EQ(options.update(XAttrOptions(5)), XAttrOptions::replace);
    EXPECT_EQ(options.remove(XAttrOptions(3)), XAttrOptions::noFollow);
    EXPECT_EQ(options.remove(XAttrOptions::create), std::nullopt);
    EXPECT_EQ(options, XAttrOptions::replace);
}
