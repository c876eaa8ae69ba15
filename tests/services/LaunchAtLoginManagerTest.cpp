#include "services/LaunchAtLoginManager.h"
#include "platform/Autostart.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace pigmo;

namespace {

// A login-item registration kept in memory, refusing changes when told to.
struct Registration {
    bool enabled = false;
    bool refuse = false;
    int registrations = 0;
    LoginItemService service()
    {
        return {[this] { return enabled; },
                [this]() -> std::optional<QString> {
                    if (refuse)
                        return QStringLiteral("read-only autostart directory");
                    ++registrations;
                    enabled = true;
                    return std::nullopt;
                },
                [this]() -> std::optional<QString> {
                    if (refuse)
                        return QStringLiteral("read-only autostart directory");
                    enabled = false;
                    return std::nullopt;
                }};
    }
};

TEST(LaunchAtLoginManagerTest, FirstRunRegistersAndLaterRunsOnlyRead)
{
    Registration registration;
    LaunchAtLoginManager first(registration.service());
    EXPECT_TRUE(first.isEnabled());
    EXPECT_TRUE(registration.enabled);
    EXPECT_TRUE(Preferences::value(prefs::hasSetLaunchAtLoginDefault));

    first.setEnabled(false);
    LaunchAtLoginManager second(registration.service());
    EXPECT_FALSE(second.isEnabled());
    EXPECT_EQ(registration.registrations, 1);
}

TEST(LaunchAtLoginManagerTest, MissingMarkerWithRegistrationWritesMarkerOnly)
{
    Registration registration;
    registration.enabled = true;
    LaunchAtLoginManager manager(registration.service());
    EXPECT_TRUE(manager.isEnabled());
    EXPECT_EQ(registration.registrations, 0);
    EXPECT_TRUE(Preferences::value(prefs::hasSetLaunchAtLoginDefault));
}

TEST(LaunchAtLoginManagerTest, RefusedChangeIsLoggedAndPublishesTheRealState)
{
    test::LogCapture log;
    Registration registration;
    registration.refuse = true;
    LaunchAtLoginManager manager(registration.service());
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_TRUE(log.contains("read-only autostart directory"));
}

} // namespace

TEST(LaunchAtLoginManagerTest, AutostartLoginItemKeepsTheAutostartEntry)
{
    LaunchAtLoginManager manager(autostartLoginItem()); // first run: registered
    EXPECT_TRUE(manager.isEnabled());
    ASSERT_TRUE(QFile::exists(Autostart::filePath()));
    QFile entry(Autostart::filePath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("--autostart"));

    manager.setEnabled(false);
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_FALSE(QFile::exists(Autostart::filePath()));
    manager.setEnabled(true);
    EXPECT_TRUE(Autostart::isEnabled());
}
