// Entry point of every test program. Before Qt or any test starts, the process gets a fresh HOME and
// fresh XDG directories under a temporary directory, so no test can read or write the user's files.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#if defined(PIGMO_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(PIGMO_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pigmo-test-XXXXXX"));
    if (!home.isValid())
        return 2;
    const QString root = home.path();
    const auto setDir = [&root](const char* variable, const QString& relative) {
        const QString path = root + relative;
        QDir().mkpath(path);
        qputenv(variable, path.toUtf8());
    };
    setDir("HOME", QString());
    setDir("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    setDir("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    setDir("XDG_CACHE_HOME", QStringLiteral("/.cache"));
    setDir("XDG_STATE_HOME", QStringLiteral("/.local/state"));
#if defined(PIGMO_TEST_WIDGETS) || defined(PIGMO_TEST_GUI)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
