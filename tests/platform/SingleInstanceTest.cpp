// Two real processes of the start-up path (single_instance_probe) meeting over a local socket.
#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
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
    honest.connectToServer(socket);
    ASSERT_TRUE(honest.waitForConnected(2000));
    const QByteArray payload = LaunchRequest{LaunchRequest::Action::smart, {folder}}.toBytes();
    honest.write(QByteArray::fromHex(QByteArray::number(payload.size(), 16).rightJustified(8, '0')) + payload);
    honest.flush();
    ASSERT_TRUE(received.wait(2000));
    EXPECT_EQ(received.takeFirst().at(0).value<LaunchRequest>(),
              (LaunchRequest{LaunchRequest::Action::smart, {folder}}));
}

TEST_F(SingleInstanceTest, HandingOverReachesTheRunningInstanceAndNeverBecomesIt)
{
    const LaunchRequest request{LaunchRequest::Action::smart, {folder}};
    EXPECT_FALSE(SingleInstance(socket).handOver(request)) << "nobody runs";
    EXPECT_FALSE(QFile::exists(socket)) << "and nobody listens afterwards";

    QProcess primary;
    startPrimary(primary);
    EXPECT_TRUE(SingleInstance(socket).handOver(request));
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
