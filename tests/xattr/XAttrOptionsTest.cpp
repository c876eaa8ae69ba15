#include "xattr/XAttrOptions.h"

#include <gtest/gtest.h>

using pigmo::xattr::XAttrOptions;

TEST(XAttrOptionsTest, OptionsCombineAndAreFoundInTheirUnion)
{
    EXPECT_TRUE(XAttrOptions().isEmpty());
    const XAttrOptions both = XAttrOptions::noFollow | XAttrOptions::create;
    EXPECT_FALSE(both.isEmpty());
    EXPECT_TRUE(both.contains(XAttrOptions::noFollow));
    EXPECT_TRUE(both.contains(XAttrOptions::create));
    EXPECT_FALSE(both.contains(XAttrOptions::replace));
    EXPECT_FALSE(both.contains(XAttrOptions::noFollow | XAttrOptions::replace));
    EXPECT_TRUE(both.contains(XAttrOptions()));
    EXPECT_EQ(both, XAttrOptions::create | XAttrOptions::noFollow);
    EXPECT_NE(both, XAttrOptions::create);
}
