#include "fulldiskaccess/FDAPermissionManager.h"

#include "base/Log.h"
#include "platform/FullDiskAccess.h"

namespace pigmo {

FDAPermissionManager::FDAPermissionManager(QObject* parent)
    : QObject(parent)
{
    monitoringTimer_.setTimerType(Qt::PreciseTimer);
    monitoringTimer_.setInterval(1000);
    connect(&monitoringTimer_, &QTimer::timeout, this, &FDAPermissionManager::tick);
}

FDAPermissionManager::~FDAPermissionManager()
{
    if (isMonitoring_)
        log::system(QStringLiteral("🛑 FDAPermissionManager: Stopping permission monitoring."));
}

void FDAPermissionManager::checkPermission()
{
    const bool granted = FullDiskAccess::isGranted();
    const bool changed = granted != hasFullDiskAccess_;
    hasFullDiskAccess_ = granted;
    if (changed)
        Q_EMIT hasFullDiskAccessChanged(granted);
    log::system(QStringLiteral("✅ FDAPermissionManager updated: hasAccess = %1")
                    .arg(granted ? QStringLiteral("true") : QStringLiteral("false")));
}

void FDAPermissionManager::startMonitoring()
{
    if (isMonitoring_)
        return;
    log::system(QStringLiteral("👀 FDAPermissionManager: Starting permission monitoring..."));
    isMonitoring_ = true;
    Q_EMIT isMonitoringChanged(true);
    monitoringTimer_.start();
}

void FDAPermissionManager::stopMonitoring()
{
    if (!isMonitoring_)
        return;
    log::system(QStringLiteral("🛑 FDAPermissionManager: Stopping permission monitoring."));
    monitoringTimer_.stop();
    isMonitoring_ = false;
    Q_EMIT isMonitoringChanged(false);
}

void FDAPermissionManager::tick()
{
    checkPermission();
    if (hasFullDiskAccess_)
        stopMonitoring();
}

void FDAPermissionManager::openSystemSettings()
{
    FullDiskAccess::openSystemSettings();
}

} // namespace pigmo
