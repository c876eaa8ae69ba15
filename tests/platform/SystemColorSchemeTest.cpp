// A real D-Bus service plays xdg-desktop-portal on a private bus of each test (parallel tests would compete
// for the portal's name on a shared one); it runs on its own thread and connection, as a portal process would.
#include "platform/SystemColorScheme.h"

#include <gtest/gtest.h>

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

using namespace pigmo;

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalConnection = QStringLiteral("portal");
const QString clientConnection = QStringLiteral("client");

// A dbus-daemon of the test's own; its address is known once the daemon has printed it.
class PrivateBus {
public:
    PrivateBus()
    {
        // The daemon ends with this process, also when a failing test never reaches the destructor.
        daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        // Its socket in a directory of the test's own: a killed daemon leaves its socket behind.
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=unix:dir=") + socketDirectory_.path()});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(clientConnection);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QString address() const { return address_; }
    QDBusConnection connect(const QString& name) const { return QDBusConnection::connectToBus(address_, name); }

private:
    QTemporaryDir socketDirectory_;
    QProcess daemon_;
    QString address_;
};

class PortalSettings : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    PortalSettings(uint scheme, bool readOne)
        : scheme_(scheme)
        , readOne_(readOne)
    {
    }

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& nameSpace, const QString& key, const QDBusMessage& message)
    {
        if (!readOne_ || nameSpace != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme")) {
            sendError(message);
            return {};
        }
        return QDBusVariant(scheme_);
    }
    QDBusVariant Read(const QString& nameSpace, const QString& key, const QDBusMessage& message)
    {
        if (nameSpace != QLatin1String("org.freedesktop.appearance") || key != QLatin1String("color-scheme")) {
            sendError(message);
            return {};
        }
        return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme_)));
    }

private:
    void sendError(const QDBusMessage& message)
    {
        message.setDelayedReply(true);
        QDBusConnection(portalConnection)
            .send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("no such method")));
    }
    uint scheme_;
    bool readOne_;
};

// Hosts PortalSettings on a thread and connection of its own.
class FakePortal {
public:
    FakePortal(const PrivateBus& privateBus, uint scheme, bool readOne)
    {
        privateBus.connect(portalConnection);
        thread_.start();
        settings_ = new PortalSettings(scheme, readOne);
        settings_->moveToThread(&thread_);
        bus().registerObject(path, settings_, QDBusConnection::ExportAllSlots);
        registered_ = bus().registerService(service);
    }
    ~FakePortal()
    {
        bus().unregisterService(service);
        bus().unregisterObject(path);
        QMetaObject::invokeMethod(settings_, &QObject::deleteLater);
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus(portalConnection);
    }
    bool registered() const { return registered_; }

    void announce(const QString& nameSpace, uint scheme)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Settings"),
                                                         QStringLiteral("SettingChanged"));
        signal << nameSpace << QStringLiteral("color-scheme") << QVariant::fromValue(QDBusVariant(scheme));
        bus().send(signal);
    }

private:
    static QDBusConnection bus() { return QDBusConnection(portalConnection); }
    QThread thread_;
    PortalSettings* settings_ = nullptr;
    bool registered_ = false;
};

TEST(SystemColorSchemeTest, ReadsThePortalAndFollowsItsSignal)
{
    const PrivateBus privateBus;
    ASSERT_FALSE(privateBus.address().isEmpty()) << "dbus-daemon is installed by scripts/install-deps";
    FakePortal portal(privateBus, 1, true);
    ASSERT_TRUE(portal.registered());
    SystemColorScheme scheme(privateBus.connect(clientConnection));
    EXPECT_EQ(scheme.current(), ColorScheme::dark);

    QSignalSpy changed(&scheme, &SystemColorScheme::changed);
    QTest::qWait(300);
    portal.announce(QStringLiteral("org.gnome.desktop.interface"), 2);
    portal.announce(QStringLiteral("org.freedesktop.appearance"), 2);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(changed.count(), 1) << "other namespaces are ignored";
    EXPECT_EQ(changed.takeFirst().at(0).value<ColorScheme>(), ColorScheme::light);
    EXPECT_EQ(scheme.current(), ColorScheme::light);
}

TEST(SystemColorSchemeTest, OlderPortalsAnswerThroughRead)
{
    const PrivateBus privateBus;
    FakePortal portal(privateBus, 2, false);
    ASSERT_TRUE(portal.registered());
    SystemColorScheme scheme(privateBus.connect(clientConnection));
    EXPECT_EQ(scheme.current(), ColorScheme::light);
}

TEST(SystemColorSchemeTest, NoPortalOrNoBusLeavesTheSchemeUnknown)
{
    const PrivateBus privateBus;
    SystemColorScheme withoutPortal(privateBus.connect(clientConnection));
    EXPECT_FALSE(withoutPortal.current());
    SystemColorScheme withoutBus(QDBusConnection(QStringLiteral("not connected")));
    EXPECT_FALSE(withoutBus.current());
    EXPECT_FALSE(withoutBus.refresh());
}

} // namespace

#include "SystemColorSchemeTest.moc"
