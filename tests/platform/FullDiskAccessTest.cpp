#include "platform/FullDiskAccess.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

class FullDiskAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
        qunsetenv("FLATPAK_ID");
    }
    // Counts the prompts shown and answers as told.
    FullDiskAccess::PromptPresenter presenter(FullDiskAccess::PromptAnswer answer)
    {
        return [this, answer](const FullDiskAccess::PromptRequest&) {
            ++shown;
            return answer;
        };
    }
    int shown = 0;
};

TEST_F(FullDiskAccessTest, GrantedWhenTheHomeCanBeListedAndSaysSoWithTilde)
{
    test::LogCapture log;
    EXPECT_TRUE(FullDiskAccess::isGranted());
    EXPECT_TRUE(log.contains("Full Disk Access is granted (able to read ~)"));
}

TEST_F(FullDiskAccessTest, SandboxedNeverGrantedEvenWithAnEmptyMarker)
{
    test::LogCapture log;
    qputenv("APP_SANDBOX_CONTAINER_ID", "");
    EXPECT_FALSE(FullDiskAccess::isGranted());
    EXPECT_TRUE(log.contains("isGranted will always return false in a sandboxed app."));
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    qputenv("FLATPAK_ID", "io.velmar.pigmo2");
    EXPECT_FALSE(FullDiskAccess::isGranted());
    FullDiskAccess::promptIfNotGranted({}, presenter({}));
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(log.contains("Prompt has not appeared because the app is sandboxed"));
}

TEST_F(FullDiskAccessTest, NoPromptWhenGranted)
{
    test::LogCapture log;
    FullDiskAccess::promptIfNotGranted({}, presenter({}));
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(log.contains("Prompt has not appeared because Full Disk Access is already granted"));
}

TEST_F(FullDiskAccessTest, SuppressionIsStoredAndHonouredOnlyWhenAllowed)
{
    FullDiskAccess::PromptRequest suppressible;
    suppressible.canBeSuppressed = true;
    Preferences::setValue(prefs::fdaSuppressed, true);
    test::LogCapture log;
    FullDiskAccess::promptIfNotGranted(suppressible, presenter({}));
    EXPECT_TRUE(log.contains("Prompt has not appeared because it has been suppressed by the user"));
    FullDiskAccess::resetPromptSuppression();
    EXPECT_FALSE(Preferences::value(prefs::fdaSuppressed));
}

} // namespace
