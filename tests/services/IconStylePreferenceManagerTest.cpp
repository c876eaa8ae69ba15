#include "services/IconStylePreferenceManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

TEST(IconStylePreferenceManagerTest, FreshIsLucideAndAChoiceSurvivesARestart)
{
    IconStylePreferenceManager first;
    EXPECT_EQ(first.preferredLibrary(), IconLibrary::lucide);
    EXPECT_FALSE(Preferences::contains(prefs::preferredIconLibrary));
    first.setPreferredLibrary(IconLibrary::emoji);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), "emoji");
    EXPECT_EQ(IconStylePreferenceManager().preferredLibrary(), IconLibrary::emoji);
}

TEST(IconStylePreferenceManagerTest, UnknownStoredTextReadsAsLucideAndIsKept)
{
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("symbols"));
    EXPECT_EQ(IconStylePreferenceManager().preferredLibrary(), IconLibrary::lucide);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), "symbols");
}

} // namespace
