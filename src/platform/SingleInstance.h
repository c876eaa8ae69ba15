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
// that accepts the connection but does not answer in time is busy (or stopped), not dead: the later start
// says so and ends without touching the socket. Starts are serialised by a lock file, so two simultaneous
// starts never both become the running instance.
//
// Only the user's own processes are trusted: a socket file or a lock file owned by another user is never
// used (nor waited for), and a connection answered by a process of another user is dropped before anything
// is sent. The socket lives in the user's runtime folder, or else in a private folder of the user's own in
// the temporary directory (see `defaultServerName`).
//
// The running instance keeps at most `maxConnections` connections (a new one pushes out the oldest), drops
// a connection whose request has not arrived whole within `requestTimeoutMs`, and listens again when its
// socket is closed or removed under it. GUI thread only.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        primary,   // this process runs; requests of later starts arrive through requestReceived
        forwarded, // the running instance has the request; this process should end with status 0
        // The running instance was handed the whole request but did not confirm it in time: it is busy or
        // stopped, and takes the request when it resumes (logged). This process should end; a second start
        // would hand the request over twice.
        pending,
        busy,   // an instance runs but could not be handed the request; nothing was handed over (logged)
        failed, // none of these: the socket cannot be used, or nobody listens (logged)
    };

    static constexpr int maxConnections = 16;
    static constexpr int requestTimeoutMs = 3000;
    static constexpr int answerTimeoutMs = 5000;
    static constexpr int listenCheckMs = 2000;

    // `serverName` is a socket name or an absolute socket path; by default one per user. An empty name
    // (no usable place for the socket) makes every claim and hand-over fail at once.
    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket in $XDG_RUNTIME_DIR when it names a folder; else in "<temp>/io.velmar.pigmo2-<uid>/", a
    // folder made for it with mode 0700 when missing. That folder is used only when it is a real folder
    // (not a link) owned by the user with mode 0700; otherwise the reason is logged and the name is empty.
    static QString defaultServerName();
    // The private folder used without a runtime folder.
    static QString privateFolderPath();
    Role claim(const LaunchRequest& request);
    // Hands the request to the running instance when there is one; never becomes the running instance
    // itself. `forwarded` when the running instance confirmed it has the request, `pending` or `busy` when
    // one runs but did not confirm in time (logged), `failed` when none runs or the socket cannot be used.
    Role handOver(const LaunchRequest& request);
    // The running instance stops taking requests and removes its socket, for good: a start from now on
    // becomes the running instance itself instead of handing over to a program that is ending.
    void stopListening();

Q_SIGNALS:
    void requestReceived(const pigmo::LaunchRequest& request);

private:
    enum class Delivery { nobodyListens, acknowledged, pending, undelivered, foreign };

    Delivery forward(const LaunchRequest& request);
    Delivery send(QLocalSocket& socket, const LaunchRequest& request);
    bool lockIsOwnOrAbsent() const;
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
