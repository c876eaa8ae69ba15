#pragma once

#include "platform/CommandLine.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <memory>

namespace pigmo {

// Keeps the program to one instance per user. The first start listens on a local socket; a later start
// connects, hands its request over, waits for the running instance to confirm, and ends. A socket left
// behind by a crashed instance is recognised (nobody answers) and replaced. Starts are serialised by a lock
// file, so two simultaneous starts never both become the running instance. GUI thread only.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        primary,   // this process runs; requests of later starts arrive through requestReceived
        forwarded, // the running instance has the request; this process should end with status 0
        failed,    // neither: the socket cannot be used (logged)
    };

    // `serverName` is a socket name or an absolute socket path; by default one per user.
    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultServerName();
    Role claim(const LaunchRequest& request);
    // Hands the request to the running instance when there is one; never becomes the running instance
    // itself. True when the running instance confirmed it has the request.
    bool handOver(const LaunchRequest& request);

Q_SIGNALS:
    void requestReceived(const pigmo::LaunchRequest& request);

private:
    bool forward(const LaunchRequest& request);
    bool listen();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace pigmo
