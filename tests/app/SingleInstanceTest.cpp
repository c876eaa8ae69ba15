#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using pigmo::SingleInstance;

TEST(SingleInstanceTest, TheFirstListensALaterOneForwardsItsCommandLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pigmo.socket"));
    SingleInstance first(path);
    ASSERT_TRUE(first.listen());
    SingleInstance second(path);
    EXPECT_FALSE(second.listen());

    QSignalSpy received(&first, &SingleInstance::requestReceived);
    bool delivered = false;
    std::thread later([&] {
        delivered = SingleInstance::forward(path, {"pigmo2", "--smart", "Music"}, QStringLiteral("/home/someone"));
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.count() == 1; }, 5000));
    later.join();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(received.at(0).at(0).toStringList(), (QStringList{"pigmo2", "--smart", "Music"}));
    EXPECT_EQ(received.at(0).at(1).toString(), QStringLiteral("/home/someone"));
}

TEST(SingleInstanceTest, ASocketLeftByADeadProgramIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pigmo.socket"));
    // A bound socket file that nobody listens on any more.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    SingleInstance instance(path);
    EXPECT_TRUE(instance.listen());
    EXPECT_FALSE(SingleInstance::forward(dir.filePath(QStringLiteral("nobody.socket")), {"pigmo2"}, QString(), 200));
}
