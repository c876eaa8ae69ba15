#include "platform/SingleInstance.h"

#include "base/Log.h"
#include "platform/Product.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QtEndian>

#include <unistd.h>

namespace pigmo {
namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int answerTimeoutMs = 5000;
constexpr char acknowledgement = '\x06';
constexpr quint32 maxRequestBytes = 1 << 20;

// The lock beside the socket (QLocalServer puts plain names into the temporary directory).
QString lockPath(const QString& serverName)
{
    const QString socket = serverName.startsWith(u'/') ? serverName : QDir::tempPath() + u'/' + serverName;
    return socket + QStringLiteral(".lock");
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent)
    , serverName_(std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + u'/' + QLatin1String(product::identifier) + QStringLiteral(".instance");
    return QLatin1String(product::identifier) + QStringLiteral("-%1.instance").arg(::getuid());
}

SingleInstance::Role SingleInstance::claim(const LaunchRequest& request)
{
    QLockFile lock(lockPath(serverName_));
    if (!lock.tryLock(answerTimeoutMs)) {
        log::warning(QStringLiteral("SingleInstance: cannot lock %1").arg(lockPath(serverName_)));
        return Role::failed;
    }
    if (forward(request))
        return Role::forwarded;
    return listen() ? Role::primary : Role::failed;
}

bool SingleInstance::handOver(const LaunchRequest& request)
{
    // The lock is only waited for: an instance that is starting listens once it lets go of it.
    QLockFile lock(lockPath(serverName_));
    lock.tryLock(answerTimeoutMs);
    return forward(request);
}

bool SingleInstance::forward(const LaunchRequest& request)
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false; // nobody runs, or a stale socket
    const QByteArray payload = request.toBytes();
    const quint32 length = qToBigEndian(quint32(payload.size()));
    socket.write(reinterpret_cast<const char*>(&length), sizeof length);
    socket.write(payload);
    if (!socket.waitForBytesWritten(answerTimeoutMs) || !socket.waitForReadyRead(answerTimeoutMs)) {
        log::warning(
            QStringLiteral("SingleInstance: the running instance did not answer: %1").arg(socket.errorString()));
        return false;
    }
    return socket.read(1) == QByteArray(1, acknowledgement);
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
        return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

// A request is framed by its 32-bit big-endian length; the frame is read once it has arrived whole.
void SingleInstance::readRequest(QLocalSocket* socket)
{
    quint32 length = 0;
    if (socket->peek(reinterpret_cast<char*>(&length), sizeof length) < qint64(sizeof length))
        return;
    length = qFromBigEndian(length);
    if (length > maxRequestBytes) {
        log::warning(QStringLiteral("SingleInstance: ignored an oversized request"));
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(sizeof length) + qint64(length))
        return; // the rest is still on its way
    socket->skip(sizeof length);
    const QByteArray bytes = socket->read(qint64(length));
    const std::optional<LaunchRequest> request = LaunchRequest::fromBytes(bytes);
    if (!request) {
        log::warning(QStringLiteral("SingleInstance: ignored a malformed request"));
        socket->disconnectFromServer();
        return;
    }
    socket->write(QByteArray(1, acknowledgement));
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT requestReceived(*request);
}

} // namespace pigmo
