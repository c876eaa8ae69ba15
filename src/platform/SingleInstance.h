#pragma once

#include "platform/CommandLine.h"

#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace pigmo {

// Keeps the program to one instance per user. The first start listens on a local socket; a later start
// connects, hands its request over, waits for the running instance to confirm, and ends. A socket left
// behind by a crashed instance is recognised (the connection is refused) and replaced; a running instance
// that accepts the connection but does not answer in time is busy, not dead: the later start says so and
// ends without touching the socket. Starts are serialised by a lock file, so two simultaneous starts never
// both become the running instance.
//
// The running instance keeps at most `maxConnections` connections (a new one pushes out the oldest), drops
// a connection whose request has not arrived whole within `requestTimeoutMs`, and listens again when its
// socket is closed or removed under it. GUI thread only.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        primary,    // this process runs; requests of later starts arrive through requestReceived
        forwarded,  // the running instance has the request; this process should end with status 0
        unanswered, // an instance runs but did not confirm in time (logged); this process should end
        failed,     // neither: the socket cannot be used (logged)
    };

    static constexpr int maxConnections = 16;
    static constexpr int requestTimeoutMs = 3000;
    static constexpr int answerTimeoutMs = 5000;
    static constexpr int listenCheckMs = 2000;

    // `serverName` is a socket name or an absolute socket path; by default one per user.
    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultServerName();
    Role claim(const LaunchRequest& request);
    // Hands the request to the running instance when there is one; never becomes the running instance
    // itself. `forwarded` when the running instance confirmed it has the request, `unanswered` when one
    // runs but did not confirm in time (logged), `failed` when none runs.
    Role handOver(const LaunchRequest& request);

Q_SIGNALS:
    void requestReceived(const pigmo::LaunchRequest& request);

private:
    enum class Delivery { nobodyListens, acknowledged, unanswered };

    Delivery forward(const LaunchRequest& request);
    static std::optional<Role> roleOfDelivery(Delivery delivery);
    bool listen();
    void keepListening();
    void acceptConnections();
    void admit(QLocalSocket* socket);
    void readRequest(QLocalSocket* socket);

    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
    QTimer listenCheck_;
    QString socketPath_;        // the socket file, once listening
    quint64 socketInode_ = 0;   // of the socket file this instance created
    QList<QLocalSocket*> open_; // oldest first
};

} // namespace pigmo
