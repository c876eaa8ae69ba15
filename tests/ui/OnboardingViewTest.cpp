#include "ui/onboarding/OnboardingView.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QPushButton>

using namespace pigmo;

TEST(OnboardingViewTest, TheButtonFinishesOnceStoringTheFlagAndClearingTheResumeKeys)
{
    Preferences::setValue(prefs::onboardingResumeStep, 3);
    Preferences::setValue(prefs::onboardingResumeWatcherChoice, true);
    int completions = 0;
    bool flagSetBeforeCallback = false;
    OnboardingView view([&] {
        ++completions;
        flagSetBeforeCallback = Preferences::value(prefs::hasCompletedOnboarding);
    });
    EXPECT_FALSE(Preferences::value(prefs::hasCompletedOnboarding));
    EXPECT_EQ(view.continueButton()->text(), QStringLiteral("Get Started"));
    view.continueButton()->click();
    view.finish();
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(flagSetBeforeCallback);
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeStep));
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeWatcherChoice));
}
