#include "services/IconStylePreferenceManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

using namespace pigmo;
using Preference = IconStylePreferenceManager::Preference;

namespace {

TEST(IconStylePreferenceManagerTest, FreshIsLucideAndAChoiceSurvivesARestart)
{
    IconStylePreferenceManager first;
    EXPECT_EQ(first.preferredLibrary(), Preference::lucide);
    EXPECT_FALSE(Preferences::contains(prefs::preferredIconLibrary));
    first.setPreferredLibrary(Preference::emoji);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), "emoji");
    EXPECT_EQ(IconStylePreferenceManager().preferredLibrary(), Preference::emoji);
}

TEST(IconStylePreferenceManagerTest, UnknownStoredTextReadsAsLucideAndIsKept)
{
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("symbols"));
    EXPECT_EQ(IconStylePreferenceManager().preferredLibrary(), Preference::lucide);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), "symbols");
}

} // namespace
