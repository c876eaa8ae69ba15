#include "catalogue/IconLibrary.h"

#include <gtest/gtest.h>

using namespace pigmo;

TEST(IconLibraryTest, NamesRoundTripAndUnknownNamesGiveNothing)
{
    for (IconLibrary library : {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji, IconLibrary::custom})
        EXPECT_EQ(libraryNamed(libraryName(library)), library);
    EXPECT_EQ(libraryName(IconLibrary::sf), QStringLiteral("sf"));
    EXPECT_EQ(libraryNamed(u"Lucide"), std::nullopt);
    EXPECT_EQ(libraryNamed(u""), std::nullopt);
}

TEST(IconLibraryTest, EachSearchableLibraryHasAFilterThatSelectsItAlone)
{
    for (IconLibrary library : {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji}) {
        const std::optional<LibrarySet> selected = librariesFor(filterFor(library));
        ASSERT_TRUE(selected);
        EXPECT_EQ(*selected, LibrarySet{library});
    }
    EXPECT_EQ(filterFor(IconLibrary::custom), LibraryFilter::all);
    EXPECT_EQ(librariesFor(LibraryFilter::all), std::nullopt);
    EXPECT_EQ(librariesFor(static_cast<LibraryFilter>(9)), std::nullopt);
}
