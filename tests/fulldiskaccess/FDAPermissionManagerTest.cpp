#include "fulldiskaccess/FDAPermissionManager.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace pigmo;

namespace {

TEST(FDAPermissionManagerTest, CreationDoesNotProbeAndACheckPublishes)
{
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    test::LogCapture log;
    FDAPermissionManager manager;
    EXPECT_FALSE(manager.hasFullDiskAccess());
    EXPECT_TRUE(log.lines().isEmpty());
    QSignalSpy changed(&manager, &FDAPermissionManager::hasFullDiskAccessChanged);
    manager.checkPermission();
    EXPECT_TRUE(manager.hasFullDiskAccess());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(log.contains("✅ FDAPermissionManager updated: hasAccess = true"));
}

TEST(FDAPermissionManagerTest, MonitorStartsOnceAndStopsWhenAccessIsGranted)
{
    qputenv("APP_SANDBOX_CONTAINER_ID", "sandbox");
    test::LogCapture log;
    FDAPermissionManager manager;
    manager.startMonitoring();
    manager.startMonitoring();
    EXPECT_EQ(log.count("Starting permission monitoring..."), 1);
    EXPECT_TRUE(manager.isMonitoring());

    QTest::qWait(1150);
    EXPECT_FALSE(manager.hasFullDiskAccess());
    EXPECT_TRUE(manager.isMonitoring());

    qunsetenv("APP_SANDBOX_CONTAINER_ID"); // the user granted access
    QSignalSpy stopped(&manager, &FDAPermissionManager::isMonitoringChanged);
    ASSERT_TRUE(stopped.wait(1500));
    EXPECT_TRUE(manager.hasFullDiskAccess());
    EXPECT_FALSE(manager.isMonitoring());
    EXPECT_EQ(log.count("🛑 FDAPermissionManager: Stopping permission monitoring."), 1);
}

TEST(FDAPermissionManagerTest, StoppingWhenIdleLogsNothing)
{
    test::LogCapture log;
    FDAPermissionManager manager;
    manager.stopMonitoring();
    EXPECT_TRUE(log.lines().isEmpty());
}

} // namespace
