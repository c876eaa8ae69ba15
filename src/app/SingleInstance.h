#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace pigmo {

// One running program per user: the first start listens on a local socket; a later start hands its command
// line (and its working directory, for relative paths) to the running one and exits. Lives on the GUI
// thread; requests arrive through the event loop.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The socket of this user's program: in $XDG_RUNTIME_DIR when set, else in the temporary directory
    // under the user's id.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running program: true when listening. False when another program listens already; a
    // socket left behind by a program that died is taken over.
    bool listen();

    // Hands a command line to the running program; true when it was delivered and acknowledged within
    // `timeoutMs`.
    static bool forward(const QString& socketPath, const QStringList& arguments, const QString& workingDirectory,
                        int timeoutMs = 5000);

Q_SIGNALS:
    // A later start's command line (program name first) and working directory.
    void requestReceived(const QStringList& arguments, const QString& workingDirectory);

private:
    void acceptConnections();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};

} // namespace pigmo
