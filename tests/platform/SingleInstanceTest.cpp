// Two real processes of the start-up path (single_instance_probe) meeting over a local socket.
#include "platform/SingleInstance.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
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
#include <sys/syscall.h>
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
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    QFile(notes).open(QIODevice::WriteOnly);
    const auto [status, errors] = runSecond({QStringLiteral("--smart"), notes});
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

    // The request waits in the busy instance's connection: the start says so and ends without a failure, so
    // that nobody starts again and has the folders styled twice.
    const auto [status, errors] = runSecond({QStringLiteral("--open"), folder});
    EXPECT_EQ(status, 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains("The running Pigmo 2 is busy (or stopped) and has not confirmed the request yet; it "
                                "has it and takes it when it resumes."))
        << errors.toStdString();
    EXPECT_EQ(inode(), before) << "the live socket stays as it was";
    EXPECT_EQ(primary.state(), QProcess::Running);
    EXPECT_EQ(SingleInstance(socket).handOver(LaunchRequest{LaunchRequest::Action::smart, {folder}}),
              SingleInstance::Role::pending)
        << "a start that only hands over tells a busy instance from none";
    EXPECT_EQ(inode(), before);

    // Once free again, the running instance takes what was sent to it.
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

TEST_F(SingleInstanceTest, AnInstanceThatStopsListeningLetsTheNextStartRunForGood)
{
    SingleInstance ending(socket);
    ASSERT_EQ(ending.claim(LaunchRequest{}), SingleInstance::Role::primary);
    ending.stopListening();
    EXPECT_FALSE(QFile::exists(socket));
    EXPECT_FALSE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 2 * SingleInstance::listenCheckMs))
        << "it never listens again";

    SingleInstance next(socket);
    EXPECT_EQ(next.claim(LaunchRequest{}), SingleInstance::Role::primary) << "nobody to hand over to";
    EXPECT_TRUE(QFile::exists(socket));
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

// Without a runtime folder: the temporary directory of this test, and no XDG_RUNTIME_DIR, until it goes.
class WithoutRuntimeFolder {
public:
    explicit WithoutRuntimeFolder(const QString& temporary)
        : runtime_(qgetenv("XDG_RUNTIME_DIR"))
        , temporary_(qgetenv("TMPDIR"))
    {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temporary));
    }
    ~WithoutRuntimeFolder()
    {
        qputenv("XDG_RUNTIME_DIR", runtime_);
        qputenv("TMPDIR", temporary_);
    }
    WithoutRuntimeFolder(const WithoutRuntimeFolder&) = delete;
    WithoutRuntimeFolder& operator=(const WithoutRuntimeFolder&) = delete;

private:
    QByteArray runtime_;
    QByteArray temporary_;
};

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTheSocketLivesInAPrivateFolderOfTheUsersOwn)
{
    const WithoutRuntimeFolder scratch(dir.path());
    const QString folder = dir.filePath(QStringLiteral("io.velmar.pigmo2-%1").arg(::getuid()));
    EXPECT_EQ(SingleInstance::privateFolderPath(), folder);
    const QString name = SingleInstance::defaultServerName();
    EXPECT_EQ(name, folder + QStringLiteral("/instance"));
    struct stat status {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(status.st_uid, ::getuid());

    SingleInstance first(name);
    ASSERT_EQ(first.claim(LaunchRequest{}), SingleInstance::Role::primary);
    EXPECT_TRUE(QFileInfo::exists(name));
    EXPECT_EQ(SingleInstance::defaultServerName(), name) << "the folder made before is taken as it is";
}

TEST_F(SingleInstanceTest, APrivateFolderThatIsNotTheUsersOwnIsRefused)
{
    const WithoutRuntimeFolder scratch(dir.path());
    const QString folder = SingleInstance::privateFolderPath();
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
    const QByteArray path = QFile::encodeName(folder);
    const auto clear = [&] {
        if (::unlink(path.constData()) != 0)
            ::rmdir(path.constData());
    };
    struct Case {
        const char* what;
        std::function<bool()> make;
        QString reason;
    };
    std::vector<Case> cases{
        {"open to others", [&] { return ::mkdir(path.constData(), 0777) == 0 && ::chmod(path.constData(), 0777) == 0; },
         QStringLiteral("its mode is 0777 instead of 0700")},
        {"a link", [&] { return ::symlink(QFile::encodeName(elsewhere).constData(), path.constData()) == 0; },
         QStringLiteral("it is a symbolic link")},
        {"a file", [&] { return QFile(folder).open(QIODevice::WriteOnly); }, QStringLiteral("it is no folder")},
    };
    if (::geteuid() == 0) {
        cases.push_back(
            {"another user's",
             [&] { return ::mkdir(path.constData(), 0700) == 0 && ::chown(path.constData(), 54321, 54321) == 0; },
             QStringLiteral("it belongs to user 54321")});
    }
    for (const Case& c : cases) {
        clear();
        ASSERT_TRUE(c.make()) << c.what;
        test::LogCapture log;
        EXPECT_EQ(SingleInstance::defaultServerName(), QString()) << c.what;
        EXPECT_TRUE(log.contains(
            QStringLiteral("SingleInstance: %1 is not used: %2; each start runs on its own").arg(folder, c.reason)))
            << c.what << ": " << log.lines().join(u'\n').toStdString();
    }
    clear();

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SingleInstance(QString()).claim(LaunchRequest{}), SingleInstance::Role::failed);
    EXPECT_EQ(SingleInstance(QString()).handOver(LaunchRequest{}), SingleInstance::Role::failed);
    EXPECT_LT(clock.elapsed(), 1000);
}

// A listener of another user (uid 54321) at `path`, in a child process: it counts the connections it accepts
// and reports, for each, its number and how many bytes arrived before the other end closed.
class Squatter {
public:
    static constexpr uid_t uid = 54321;

    explicit Squatter(const QString& path)
    {
        if (::pipe(report_) != 0)
            return;
        const QByteArray name = QFile::encodeName(path);
        child_ = ::fork();
        if (child_ == 0)
            squat(name); // never returns
    }
    ~Squatter()
    {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
        ::close(report_[0]);
        ::close(report_[1]);
    }
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;

    // The next report: the connection's number and its bytes; nothing when none comes.
    std::optional<std::pair<int, int>> next() const
    {
        pollfd ready{report_[0], POLLIN, 0};
        int numbers[2] = {};
        if (::poll(&ready, 1, 20000) != 1 || ::read(report_[0], numbers, sizeof numbers) != ssize_t(sizeof numbers))
            return std::nullopt;
        return std::pair{numbers[0], numbers[1]};
    }

private:
    // Only system calls from here on: bound (and the socket file given away) as root, listening as the other
    // user, so that the kernel names that user as the peer of every connection.
    [[noreturn]] void squat(const QByteArray& name)
    {
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::chown(name.constData(), uid, uid) != 0 || ::syscall(SYS_setresgid, uid, uid, uid) != 0 ||
            ::syscall(SYS_setresuid, uid, uid, uid) != 0 || ::listen(listener, 16) != 0)
            ::_exit(1);
        int ready[2] = {0, -1};
        [[maybe_unused]] auto written = ::write(report_[1], ready, sizeof ready);
        for (int number = 1;; ++number) {
            const int connection = ::accept(listener, nullptr, nullptr);
            int bytes = 0;
            char buffer[4096];
            pollfd readable{connection, POLLIN, 0};
            while (::poll(&readable, 1, 3000) == 1) {
                const ssize_t got = ::read(connection, buffer, sizeof buffer);
                if (got <= 0)
                    break;
                bytes += int(got);
            }
            ::close(connection);
            const int numbers[2] = {number, bytes};
            written = ::write(report_[1], numbers, sizeof numbers);
        }
    }

    int report_[2] = {-1, -1};
    pid_t child_ = -1;
};

// Connects to `path` and closes at once: the squatter reports this connection with no bytes.
bool knock(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

TEST_F(SingleInstanceTest, ASocketOfAnotherUserIsNeverUsed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    const Squatter squatter(socket);
    ASSERT_EQ(squatter.next(), (std::pair{0, -1})) << "the squatter listens";
    const LaunchRequest request{LaunchRequest::Action::smart, {folder}};

    test::LogCapture log;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SingleInstance(socket).handOver(request), SingleInstance::Role::failed);
    EXPECT_EQ(SingleInstance(socket).claim(request), SingleInstance::Role::failed);
    EXPECT_LT(clock.elapsed(), SingleInstance::answerTimeoutMs);
    EXPECT_TRUE(log.contains(QStringLiteral("SingleInstance: %1 belongs to another user; not used").arg(socket)));
    ASSERT_TRUE(knock(socket));
    EXPECT_EQ(squatter.next(), (std::pair{1, 0})) << "the squatter heard from nobody before";

    // A socket file of the user's own, answered by the other user's process: dropped before anything is sent.
    ASSERT_EQ(::chown(QFile::encodeName(socket).constData(), ::getuid(), ::getgid()), 0);
    EXPECT_EQ(SingleInstance(socket).handOver(request), SingleInstance::Role::failed);
    EXPECT_TRUE(log.contains(
        QStringLiteral("SingleInstance: %1 is answered by a process of another user; not used").arg(socket)));
    EXPECT_EQ(squatter.next(), (std::pair{2, 0})) << "connected, and closed without a byte";
}

TEST_F(SingleInstanceTest, ALockOfAnotherUserIsNeitherTakenNorWaitedFor)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file away";
    const QString lock = socket + QStringLiteral(".lock");
    QLockFile held(lock);
    ASSERT_TRUE(held.lock());
    ASSERT_EQ(::chown(QFile::encodeName(lock).constData(), Squatter::uid, Squatter::uid), 0);

    test::LogCapture log;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SingleInstance(socket).claim(LaunchRequest{}), SingleInstance::Role::failed);
    EXPECT_EQ(SingleInstance(socket).handOver(LaunchRequest{}), SingleInstance::Role::failed);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(log.count(QStringLiteral("SingleInstance: %1 belongs to another user; not used").arg(lock)), 2);
    EXPECT_FALSE(QFileInfo::exists(socket)) << "nobody listens there";
}

} // namespace
