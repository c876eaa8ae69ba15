#include "app/SingleInstance.h"

#include "model/Log.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

#include <unistd.h>

namespace pigmo {
namespace {

constexpr char acknowledgement = '\x06';

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/io.velmar.pigmo2.socket");
    return QDir::tempPath() + QStringLiteral("/io.velmar.pigmo2-%1.socket").arg(::getuid());
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , socketPath_(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close(); // removes the socket file
}

bool SingleInstance::listen()
{
    // Two starts at the same moment: the lock lets one of them probe and bind at a time.
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    lock.tryLock(5000);
    // Someone answers: that program runs. Nobody answers: a socket left by a program that died, taken over.
    // (Asked first because binding with access options replaces an existing socket file.)
    QLocalSocket probe;
    probe.connectToServer(socketPath_);
    if (probe.waitForConnected(1000))
        return false;
    QLocalServer::removeServer(socketPath_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        log::system(QStringLiteral("Cannot listen on ") + socketPath_ + QStringLiteral(": ") + server_->errorString());
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QStringList arguments;
            QString workingDirectory;
            in >> arguments >> workingDirectory;
            if (!in.commitTransaction())
                return; // the rest of the message is still on its way
            socket->write(&acknowledgement, 1);
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT requestReceived(arguments, workingDirectory);
        });
    }
}

bool SingleInstance::forward(const QString& socketPath, const QStringList& arguments, const QString& workingDirectory,
                             int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << arguments << workingDirectory;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    char answer = 0;
    if (!socket.waitForReadyRead(timeoutMs) || socket.read(&answer, 1) != 1)
        return false;
    return answer == acknowledgement;
}

} // namespace pigmo
