#include "platform/SingleInstance.h"

#include "base/Log.h"
#include "base/Product.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pigmo {
namespace {

constexpr int connectTimeoutMs = 1000;
constexpr char acknowledgement = '\x06';
constexpr quint32 maxRequestBytes = 1 << 20;
constexpr qint64 lengthBytes = sizeof(quint32);

// The lock beside the socket (QLocalServer puts plain names into the temporary directory).
QString lockPath(const QString& serverName)
{
    const QString socket = serverName.startsWith(u'/') ? serverName : QDir::tempPath() + u'/' + serverName;
    return socket + QStringLiteral(".lock");
}

// The inode of the file at `path`, or 0 when there is none.
quint64 inodeOf(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return quint64(status.st_ino);
}

// The owner of the file at `path` itself (a link is not followed), when there is a file.
std::optional<uid_t> ownerOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status.st_uid;
}

bool belongsToAnotherUser(const QString& path)
{
    const std::optional<uid_t> owner = ownerOf(path);
    return owner && *owner != ::getuid();
}

// Why the folder at `path` is no private folder of this user; empty when it is one.
QString whyNotPrivate(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("it is no folder");
    if (status.st_uid != ::getuid())
        return QStringLiteral("it belongs to user %1").arg(status.st_uid);
    if ((status.st_mode & 07777) != S_IRWXU)
        return QStringLiteral("its mode is %1 instead of 0700").arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

// The user id of the process at the other end of a connected local socket.
std::optional<uid_t> peerOf(const QLocalSocket& socket)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent)
    , serverName_(std::move(serverName))
{
    listenCheck_.setInterval(listenCheckMs);
    connect(&listenCheck_, &QTimer::timeout, this, &SingleInstance::keepListening);
}

// The server goes first: its connections, deleted with it, still reach `open_` as they disconnect.
SingleInstance::~SingleInstance()
{
    server_.reset();
}

QString SingleInstance::privateFolderPath()
{
    return QDir::tempPath() + u'/' + QLatin1String(product::identifier) + QStringLiteral("-%1").arg(::getuid());
}

QString SingleInstance::defaultServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + u'/' + QLatin1String(product::identifier) + QStringLiteral(".instance");
    // As the runtime folder would be: the user's alone. A folder someone else made in its place is not used.
    const QString folder = privateFolderPath();
    if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0 && errno != EEXIST) {
        log::warning(QStringLiteral("SingleInstance: cannot make %1: %2; each start runs on its own")
                         .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        return {};
    }
    if (const QString reason = whyNotPrivate(folder); !reason.isEmpty()) {
        log::warning(QStringLiteral("SingleInstance: %1 is not used: %2; each start runs on its own until it is "
                                    "removed")
                         .arg(folder, reason));
        return {};
    }
    return folder + QStringLiteral("/instance");
}

// What a request someone else received makes of this start; nothing when nobody listens.
std::optional<SingleInstance::Role> SingleInstance::roleOfDelivery(Delivery delivery)
{
    switch (delivery) {
    case Delivery::acknowledged:
        return Role::forwarded;
    case Delivery::pending:
        return Role::pending;
    case Delivery::undelivered:
        return Role::busy;
    case Delivery::foreign:
        return Role::failed;
    case Delivery::nobodyListens:
        break;
    }
    return std::nullopt;
}

// A lock file of another user is neither taken nor waited for: it could be held for ever.
bool SingleInstance::lockIsOwnOrAbsent() const
{
    if (!belongsToAnotherUser(lockPath(serverName_)))
        return true;
    log::warning(QStringLiteral("SingleInstance: %1 belongs to another user; not used").arg(lockPath(serverName_)));
    return false;
}

SingleInstance::Role SingleInstance::claim(const LaunchRequest& request)
{
    if (serverName_.isEmpty() || !lockIsOwnOrAbsent())
        return Role::failed;
    QLockFile lock(lockPath(serverName_));
    if (!lock.tryLock(answerTimeoutMs)) {
        log::warning(QStringLiteral("SingleInstance: cannot lock %1").arg(lockPath(serverName_)));
        return Role::failed;
    }
    if (const std::optional<Role> role = roleOfDelivery(forward(request)))
        return *role;
    return listen() ? Role::primary : Role::failed;
}

SingleInstance::Role SingleInstance::handOver(const LaunchRequest& request)
{
    if (serverName_.isEmpty() || !lockIsOwnOrAbsent())
        return Role::failed;
    // The lock is only waited for: an instance that is starting listens once it lets go of it.
    QLockFile lock(lockPath(serverName_));
    lock.tryLock(answerTimeoutMs);
    return roleOfDelivery(forward(request)).value_or(Role::failed);
}

SingleInstance::Delivery SingleInstance::forward(const LaunchRequest& request)
{
    if (belongsToAnotherUser(serverName_)) {
        log::warning(QStringLiteral("SingleInstance: %1 belongs to another user; not used").arg(serverName_));
        return Delivery::foreign;
    }
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        // Refused or missing: nobody runs (a stale socket refuses). Anything else, a full queue of pending
        // connections included, means a running instance too busy to accept.
        const auto error = socket.error();
        if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError ||
            error == QLocalSocket::SocketAccessError)
            return Delivery::nobodyListens;
        log::warning(QStringLiteral("The running Pigmo 2 is busy and did not take the request (%1); nothing was "
                                    "handed over: start again later")
                         .arg(socket.errorString()));
        return Delivery::undelivered;
    }
    if (const std::optional<uid_t> peer = peerOf(socket); peer != ::getuid()) {
        log::warning(
            QStringLiteral("SingleInstance: %1 is answered by a process of another user; not used").arg(serverName_));
        socket.abort();
        return Delivery::foreign;
    }
    return send(socket, request);
}

// A request that reached the running instance whole stays queued in its connection: the instance takes it
// when it reads again, even after this process is gone.
SingleInstance::Delivery SingleInstance::send(QLocalSocket& socket, const LaunchRequest& request)
{
    const QByteArray payload = request.toBytes();
    const quint32 length = qToBigEndian(quint32(payload.size()));
    socket.write(reinterpret_cast<const char*>(&length), sizeof length);
    socket.write(payload);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(answerTimeoutMs)) {
    }
    if (socket.bytesToWrite() > 0) {
        log::warning(QStringLiteral("The running Pigmo 2 is busy and did not take the request; nothing was handed "
                                    "over: start again later"));
        return Delivery::undelivered;
    }
    if (!socket.waitForReadyRead(answerTimeoutMs)) {
        if (socket.state() != QLocalSocket::ConnectedState) {
            log::warning(QStringLiteral("The running Pigmo 2 dropped the request; nothing was handed over"));
            return Delivery::undelivered;
        }
        log::warning(QStringLiteral("The running Pigmo 2 is busy (or stopped) and has not confirmed the request "
                                    "yet; it has it and takes it when it resumes. Starting again would hand it "
                                    "over twice."));
        return Delivery::pending;
    }
    if (socket.read(1) != QByteArray(1, acknowledgement)) {
        log::warning(QStringLiteral("The running Pigmo 2 refused the request; nothing was handed over"));
        return Delivery::undelivered;
    }
    return Delivery::acknowledged;
}

bool SingleInstance::listen()
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_); // a socket nobody answers on is stale
    if (!server_->listen(serverName_)) {
        log::warning(
            QStringLiteral("SingleInstance: cannot listen on %1: %2").arg(serverName_, server_->errorString()));
        server_.reset();
        socketInode_ = 0;
        return false;
    }
    socketPath_ = server_->fullServerName();
    socketInode_ = inodeOf(socketPath_);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    listenCheck_.start();
    return true;
}

void SingleInstance::stopListening()
{
    listenCheck_.stop();
    server_.reset(); // closing removes the socket
    socketInode_ = 0;
}

// QLocalServer closes itself, and removes its socket, when accepting fails (for example when the process
// runs out of file descriptors); the socket file may also be removed by hand. Either way, later starts
// would find nobody: listen again, unless another instance has taken the name meanwhile.
void SingleInstance::keepListening()
{
    const quint64 inode = inodeOf(socketPath_);
    if (server_ && server_->isListening() && inode == socketInode_)
        return;
    if (inode != 0 && inode != socketInode_) {
        log::warning(QStringLiteral("SingleInstance: %1 was taken over; no longer listening").arg(socketPath_));
        listenCheck_.stop();
        return;
    }
    QLockFile lock(lockPath(serverName_));
    if (!lock.tryLock(0))
        return; // a start is deciding right now; look again later
    log::warning(QStringLiteral("SingleInstance: listening again on %1").arg(serverName_));
    for (QLocalSocket* socket : std::exchange(open_, {}))
        socket->abort();
    listen(); // on failure the next check tries again
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection())
        admit(socket);
}

// Every connection gets `requestTimeoutMs` to deliver its whole request; the oldest one gives way when
// `maxConnections` are open.
void SingleInstance::admit(QLocalSocket* socket)
{
    socket->setReadBufferSize(lengthBytes + maxRequestBytes);
    if (open_.size() >= maxConnections)
        open_.takeFirst()->abort();
    open_.append(socket);
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        open_.removeOne(socket);
        socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    QTimer::singleShot(requestTimeoutMs, socket, [this, socket] {
        if (!open_.removeOne(socket))
            return; // answered already
        log::warning(QStringLiteral("SingleInstance: dropped a connection that sent no whole request in time"));
        socket->abort();
    });
    if (socket->bytesAvailable() > 0)
        readRequest(socket);
}

// A request is framed by its 32-bit big-endian length; the frame is read once it has arrived whole.
void SingleInstance::readRequest(QLocalSocket* socket)
{
    quint32 length = 0;
    if (socket->peek(reinterpret_cast<char*>(&length), sizeof length) < lengthBytes)
        return;
    length = qFromBigEndian(length);
    if (length > maxRequestBytes) {
        log::warning(QStringLiteral("SingleInstance: ignored an oversized request"));
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < lengthBytes + qint64(length))
        return;              // the rest is still on its way
    open_.removeOne(socket); // answered from here on, one way or the other
    socket->skip(lengthBytes);
    const QByteArray bytes = socket->read(qint64(length));
    const std::optional<LaunchRequest> request = LaunchRequest::fromBytes(bytes);
    if (!request) {
        log::warning(QStringLiteral("SingleInstance: ignored a malformed request"));
        socket->abort();
        return;
    }
    socket->write(QByteArray(1, acknowledgement));
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT requestReceived(*request);
}

} // namespace pigmo
