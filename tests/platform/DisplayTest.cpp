#include "platform/Display.h"

#include <gtest/gtest.h>

#include <QByteArray>

using namespace pigmo;

namespace {

// Sets or removes one environment variable for the length of a test.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : name_(name)
        , had_(qEnvironmentVariableIsSet(name))
        , before_(qgetenv(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, before_);
        else
            qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray before_;
};

QStringList received;

void remember(QtMsgType, const QMessageLogContext&, const QString& message)
{
    received.append(message);
}

} // namespace

TEST(DisplayTest, AvailableWithANamedDisplayOrPlatformOnly)
{
    const ScopedVariable noPlatform("QT_QPA_PLATFORM", nullptr);
    const QStringList program{QStringLiteral("pigmo2")};
    {
        const ScopedVariable noX11("DISPLAY", nullptr);
        const ScopedVariable noWayland("WAYLAND_DISPLAY", nullptr);
        EXPECT_FALSE(Display::available(program));
        EXPECT_TRUE(Display::available(program + QStringList{"-platform", "offscreen"}));
        const ScopedVariable emptyX11("DISPLAY", "");
        EXPECT_FALSE(Display::available(program)) << "an empty DISPLAY names nothing";
    }
    {
        const ScopedVariable x11("DISPLAY", ":0");
        const ScopedVariable noWayland("WAYLAND_DISPLAY", nullptr);
        EXPECT_TRUE(Display::available(program));
    }
    {
        const ScopedVariable noX11("DISPLAY", nullptr);
        const ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_TRUE(Display::available(program));
    }
    const ScopedVariable noX11("DISPLAY", nullptr);
    const ScopedVariable noWayland("WAYLAND_DISPLAY", nullptr);
    const ScopedVariable offscreen("QT_QPA_PLATFORM", "offscreen");
    EXPECT_TRUE(Display::available(program)) << "a named platform is Qt's to judge";
}

TEST(DisplayTest, TheGuardPassesOrdinaryMessagesOnAndGoesAwayWhole)
{
    const QtMessageHandler before = qInstallMessageHandler(remember);
    received.clear();
    {
        const NoDisplayExit guard;
        qWarning("a warning while the guard lives");
        qDebug("a debug line");
    }
    qWarning("after the guard");
    EXPECT_EQ(received, (QStringList{"a warning while the guard lives", "a debug line", "after the guard"}));
    EXPECT_EQ(qInstallMessageHandler(before), &remember) << "the handler before the guard is back";
}
