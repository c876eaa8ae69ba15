// Two real processes of the start-up path (single_instance_probe) meeting over a local socket.
#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pigmo;

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString socket = dir.filePath(QStringLiteral("instance"));
    QString folder = dir.filePath(QStringLiteral("A folder"));

    void SetUp() override { ASSERT_TRUE(QDir().mkdir(folder)); }

    QStringList probeArguments(const QStringList& programArguments) const
    {
        return QStringList{socket} + programArguments;
    }

    // Starts the probe that becomes the running instance and waits for its first line.
    void startPrimary(QProcess& primary, const QStringList& programArguments = {})
    {
        primary.start(QStringLiteral(PROBE), probeArguments(programArguments));
        ASSERT_TRUE(primary.waitForReadyRead(20000)) << primary.readAllStandardError().toStdString();
        ASSERT_TRUE(primary.readLine().startsWith("PRIMARY"));
    }

    // Runs a second start to its end; gives its exit status and standard error.
    std::pair<int, QByteArray> runSecond(const QStringList& programArguments, const QString& workingDirectory = {})
    {
        QProcess second;
        if (!workingDirectory.isEmpty())
            second.setWorkingDirectory(workingDirectory);
        second.start(QStringLiteral(PROBE), probeArguments(programArguments));
        EXPECT_TRUE(second.waitForFinished(20000));
        EXPECT_TRUE(second.readAllStandardOutput().isEmpty()) << "a second start never runs";
        return {second.exitCode(), second.readAllStandardError()};
    }

    // Connects to the running instance and sends one whole framed request.
    static bool sendRequest(QLocalSocket& client, const QString& path, const LaunchRequest& request)
    {
        client.connectToServer(path);
        if (!client.waitForConnected(2000))
            return false;
        const QByteArray payload = request.toBytes();
        client.write(QByteArray::fromHex(QByteArray::number(payload.size(), 16).rightJustified(8, '0')) + payload);
        return client.flush();
    }

    static QByteArray nextLine(QProcess& process)
    {
        if (!process.canReadLine())
            process.waitForReadyRead(20000);
        return process.readLine().trimmed();
    }
};

TEST_F(SingleInstanceTest, SecondStartHandsItsFoldersToTheRunningInstanceAndExitsZero)
{
    QProcess primary;
    startPrimary(primary);
    const auto [status, errors] = runSecond(
        {QStringLiteral("--open"), QStringLiteral("A folder"), QStringLiteral("/no/such/folder")}, dir.path());
    EXPECT_EQ(status, 0) << errors.toStdString();
    EXPECT_EQ(nextLine(primary), QStringLiteral("RECEIVED open %1").arg(folder).toUtf8());
    EXPECT_TRUE(primary.waitForFinished(20000));
}

TEST_F(SingleInstanceTest, PlainSecondStartIsAReopen)
{
    QProcess primary;
    startPrimary(primary, {QStringLiteral("--autostart")});
    EXPECT_EQ(runSecond({}).first, 0);
    EXPECT_EQ(nextLine(primary), QByteArray("RECEIVED launch"));
}

TEST_F(SingleInstanceTest, NoFoldersFoundIsRefusedBeforeForwarding)
{
    QProcess primary;
    startPrimary(primary);
    const auto [status, errors] = runSecond({QStringLiteral("--smart"), QStringLiteral("/no/such/folder")});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(errors.trimmed(), QByteArray("No folders found."));
    EXPECT_FALSE(primary.waitForReadyRead(500)) << "nothing reached the running instance";
    EXPECT_EQ(runSecond({QStringLiteral("--smart"), QUrl::fromLocalFile(folder).toString()}).first, 0);
    EXPECT_EQ(nextLine(primary), QStringLiteral("RECEIVED smart %1").arg(folder).toUtf8());
}

TEST_F(SingleInstanceTest, StaleSocketOfACrashedInstanceIsReplaced)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socket);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd); // bound, never listening: what a killed instance leaves behind
    ASSERT_TRUE(QFileInfo::exists(socket));

    QProcess primary;
    startPrimary(primary);
    EXPECT_EQ(runSecond({QStringLiteral("--open"), folder}).first, 0);
    EXPECT_EQ(nextLine(primary), QStringLiteral("RECEIVED open %1").arg(folder).toUtf8());
}

TEST_F(SingleInstanceTest, InProcessClaimsAndMalformedRequests)
{
    SingleInstance first(socket);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::requestReceived);

    QLocalSocket rogue;
    rogue.connectToServer(socket);
    ASSERT_TRUE(rogue.waitForConnected(2000));
    const QByteArray junk("not a request");
    rogue.write(QByteArray::fromHex("0000000d") + junk);
    rogue.flush();
    QTest::qWait(200);
    EXPECT_EQ(received.count(), 0);

    QLocalSocket boaster; // announces four gigabytes
    boaster.connectToServer(socket);
    ASSERT_TRUE(boaster.waitForConnected(2000));
    boaster.write(QByteArray::fromHex("fffffff0") + junk);
    boaster.flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return boaster.state() == QLocalSocket::UnconnectedState; }, 2000))
        << "dropped at once";
    EXPECT_EQ(received.count(), 0);

    QLocalSocket honest;
    ASSERT_TRUE(sendRequest(honest, socket, LaunchRequest{LaunchRequest::Action::smart, {folder}}));
    ASSERT_TRUE(received.wait(2000));
    EXPECT_EQ(received.takeFirst().at(0).value<LaunchRequest>(),
              (LaunchRequest{LaunchRequest::Action::smart, {folder}}));
}

TEST_F(SingleInstanceTest, BusyRunningInstanceIsNeitherReplacedNorJoinedByASecond)
{
    QProcess primary;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PROBE_BUSY_MS"), QString::number(2 * SingleInstance::answerTimeoutMs + 3000));
    primary.setProcessEnvironment(environment);
    startPrimary(primary);
    const auto inode = [this] {
        struct stat status {};
        return ::stat(QFile::encodeName(socket).constData(), &status) == 0 ? status.st_ino : 0;
    };
    const auto before = inode();
    ASSERT_NE(before, 0u);

    const auto [status, errors] = runSecond({QStringLiteral("--open"), folder});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(errors.contains("did not answer in time")) << errors.toStdString();
    EXPECT_EQ(inode(), before) << "the live socket stays as it was";
    EXPECT_EQ(primary.state(), QProcess::Running);
    EXPECT_EQ(SingleInstance(socket).handOver(LaunchRequest{LaunchRequest::Action::smart, {folder}}),
              SingleInstance::Role::unanswered)
        << "a start that only hands over tells a busy instance from none";
    EXPECT_EQ(inode(), before);

    // Once free again, the running instance still takes what was sent to it.
    EXPECT_EQ(nextLine(primary), QStringLiteral("RECEIVED open %1").arg(folder).toUtf8());
}

TEST_F(SingleInstanceTest, IdleConnectionFloodNeverClosesTheServer)
{
    // With few file descriptors to spare, a flood of idle connections used to make accepting fail, and
    // the server then closed and removed its socket for good.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 256);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &saved); });

    SingleInstance first(socket);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::requestReceived);

    constexpr int flood = 400;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const QByteArray path = QFile::encodeName(socket);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // only system calls from here on
        ::setrlimit(RLIMIT_NOFILE, &saved);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        int connected = 0;
        for (int i = 0; i < flood; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                ++connected;
        }
        [[maybe_unused]] const auto written = ::write(report[1], &connected, sizeof connected);
        ::pause();
        ::_exit(0);
    }
    const auto reap = qScopeGuard([&] {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(report[0]);
        ::close(report[1]);
    });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            pollfd ready{report[0], POLLIN, 0};
            return ::poll(&ready, 1, 0) == 1;
        },
        30000));
    int connected = 0;
    ASSERT_EQ(::read(report[0], &connected, sizeof connected), ssize_t(sizeof connected));
    EXPECT_EQ(connected, flood);
    QTest::qWait(100);

    EXPECT_TRUE(QFileInfo::exists(socket));
    QLocalSocket honest;
    ASSERT_TRUE(sendRequest(honest, socket, LaunchRequest{LaunchRequest::Action::open, {folder}}));
    ASSERT_TRUE(received.wait(2000)) << "answered while the flood still holds its connections";
    EXPECT_TRUE(honest.waitForReadyRead(2000));
    EXPECT_EQ(honest.read(1), QByteArray(1, '\x06'));
}

TEST_F(SingleInstanceTest, SilentAndPartialConnectionsAreDroppedAfterTheTimeout)
{
    SingleInstance first(socket);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::requestReceived);

    QLocalSocket silent, partial;
    silent.connectToServer(socket);
    partial.connectToServer(socket);
    ASSERT_TRUE(silent.waitForConnected(2000) && partial.waitForConnected(2000));
    partial.write(QByteArray::fromHex("00000064") + QByteArray(10, 'x')); // 10 of 100 bytes
    partial.flush();
    QElapsedTimer clock;
    clock.start();
    const auto dropped = [](QLocalSocket& client) { return client.state() == QLocalSocket::UnconnectedState; };
    QTest::qWait(SingleInstance::requestTimeoutMs - 1000);
    EXPECT_FALSE(dropped(silent) || dropped(partial)) << "a slow sender gets its time";
    EXPECT_TRUE(QTest::qWaitFor([&] { return dropped(silent) && dropped(partial); }, 3000));
    EXPECT_GE(clock.elapsed(), SingleInstance::requestTimeoutMs - 1000);
    EXPECT_EQ(received.count(), 0);
}

TEST_F(SingleInstanceTest, TheOldestConnectionGivesWayAtTheLimit)
{
    SingleInstance first(socket);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::requestReceived);
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < SingleInstance::maxConnections; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(socket);
        ASSERT_TRUE(idle.back()->waitForConnected(2000));
        QTest::qWait(5); // accepted in this order
    }
    QLocalSocket honest;
    ASSERT_TRUE(sendRequest(honest, socket, LaunchRequest{LaunchRequest::Action::open, {folder}}));
    ASSERT_TRUE(received.wait(2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return idle.front()->state() == QLocalSocket::UnconnectedState; }, 2000));
    EXPECT_EQ(idle.back()->state(), QLocalSocket::ConnectedState);
}

TEST_F(SingleInstanceTest, ServerListensAgainWhenItsSocketIsRemoved)
{
    SingleInstance first(socket);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    QSignalSpy received(&first, &SingleInstance::requestReceived);
    ASSERT_TRUE(QFile::remove(socket));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 2 * SingleInstance::listenCheckMs + 1000));
    QLocalSocket honest;
    ASSERT_TRUE(sendRequest(honest, socket, LaunchRequest{LaunchRequest::Action::smart, {folder}}));
    ASSERT_TRUE(received.wait(2000));
}

TEST_F(SingleInstanceTest, HandingOverReachesTheRunningInstanceAndNeverBecomesIt)
{
    const LaunchRequest request{LaunchRequest::Action::smart, {folder}};
    EXPECT_EQ(SingleInstance(socket).handOver(request), SingleInstance::Role::failed) << "nobody runs";
    EXPECT_FALSE(QFile::exists(socket)) << "and nobody listens afterwards";

    QProcess primary;
    startPrimary(primary);
    EXPECT_EQ(SingleInstance(socket).handOver(request), SingleInstance::Role::forwarded);
    EXPECT_EQ(nextLine(primary), QStringLiteral("RECEIVED smart %1").arg(folder).toUtf8());
    EXPECT_TRUE(primary.waitForFinished(20000));
}

TEST_F(SingleInstanceTest, DefaultNameIsPerUser)
{
    const QString name = SingleInstance::defaultServerName();
    EXPECT_TRUE(name.contains(QStringLiteral("io.velmar.pigmo2")));
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        EXPECT_TRUE(name.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
    } else {
        EXPECT_TRUE(name.contains(QString::number(::getuid())));
    }
}

} // namespace
