#pragma once

#include <QObject>
#include <QTimer>

namespace pigmo {

// The Full Disk Access flag and its monitor: while monitoring, the permission is probed once a second
// on the GUI thread until it is granted. Creating the manager does not probe. GUI thread only.
class FDAPermissionManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasFullDiskAccess READ hasFullDiskAccess NOTIFY hasFullDiskAccessChanged)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY isMonitoringChanged)

public:
    explicit FDAPermissionManager(QObject* parent = nullptr);
    ~FDAPermissionManager() override;

    bool hasFullDiskAccess() const { return hasFullDiskAccess_; }
    bool isMonitoring() const { return isMonitoring_; }

    void checkPermission();
    // Opens where the system grants folder access; on Linux there is no such place, so this only logs.
    static void openSystemSettings();
    void startMonitoring();
    void stopMonitoring();

Q_SIGNALS:
    void hasFullDiskAccessChanged(bool granted);
    void isMonitoringChanged(bool monitoring);

private:
    void tick();

    bool hasFullDiskAccess_ = false;
    bool isMonitoring_ = false;
    QTimer monitoringTimer_;
};

} // namespace pigmo
