// Entry point of every test program. Before Qt or any test starts, the process gets a fresh HOME and
// fresh XDG directories under a temporary directory, so no test can read or write the user's files.

#include "support/ScratchHome.h"

#include <gtest/gtest.h>

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
    const pigmo::test::ScratchHome home(QStringLiteral("pigmo-test"));
    if (!home.isValid())
        return 2;
#if defined(PIGMO_TEST_WIDGETS) || defined(PIGMO_TEST_GUI)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
