#include "platform/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QUrl>

namespace pigmo {
namespace {

constexpr quint32 requestMagic = 0x50494731; // "PIG1"

CommandLineResult failure(QString message)
{
    CommandLineResult result;
    result.exitCode = 1;
    result.errorOutput = std::move(message);
    return result;
}

bool looksLikeUri(const QString& argument)
{
    const qsizetype colon = argument.indexOf(u':');
    return colon > 1 && !argument.startsWith(u'/') && QUrl(argument).isValid() &&
           argument.left(colon).contains(QRegularExpression(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*$")));
}

} // namespace

QByteArray LaunchRequest::toBytes() const
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << requestMagic << qint32(action) << folders;
    return bytes;
}

std::optional<LaunchRequest> LaunchRequest::fromBytes(const QByteArray& bytes)
{
    QDataStream stream(bytes);
    quint32 magic = 0;
    qint32 action = -1;
    LaunchRequest request;
    stream >> magic >> action >> request.folders;
    if (stream.status() != QDataStream::Ok || magic != requestMagic || action < qint32(Action::launch) ||
        action > qint32(Action::smart))
        return std::nullopt;
    request.action = Action(action);
    return request;
}

QString CommandLine::folderFromArgument(const QString& argument, const QString& workingDirectory)
{
    QString path = argument;
    if (looksLikeUri(argument)) {
        const QUrl url(argument);
        if (!url.isLocalFile())
            return {};
        path = url.toLocalFile();
    }
    if (path.isEmpty())
        return {};
    const QFileInfo info(QDir(workingDirectory), path);
    return info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

CommandLineResult CommandLine::parse(const QStringList& arguments, const QString& workingDirectory)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Gives folders custom icons."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption autostart(QStringLiteral("autostart"),
                                       QStringLiteral("Start as at login, without a window."));
    const QCommandLineOption open(QStringLiteral("open"), QStringLiteral("Open the folders in the editor."));
    const QCommandLineOption smart(QStringLiteral("smart"), QStringLiteral("Style the folders at once."));
    parser.addOptions({autostart, open, smart});
    parser.addPositionalArgument(QStringLiteral("folders"), QStringLiteral("Folders, as paths or file:// URIs."),
                                 QStringLiteral("[PATH|URI...]"));

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    CommandLineResult result;
    if (parser.isSet(help)) {
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.output = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion();
        return result;
    }
    if (int(parser.isSet(autostart)) + int(parser.isSet(open)) + int(parser.isSet(smart)) > 1)
        return failure(QStringLiteral("Use only one of --autostart, --open and --smart."));

    LaunchRequest request;
    const QStringList given = parser.positionalArguments();
    if (parser.isSet(autostart))
        request.action = LaunchRequest::Action::autostart;
    else if (parser.isSet(smart))
        request.action = LaunchRequest::Action::smart;
    else if (parser.isSet(open) || !given.isEmpty())
        request.action = LaunchRequest::Action::open;
    if (request.action == LaunchRequest::Action::open || request.action == LaunchRequest::Action::smart) {
        for (const QString& argument : given) {
            if (const QString folder = folderFromArgument(argument, workingDirectory); !folder.isEmpty())
                request.folders.append(folder);
        }
        if (request.folders.isEmpty())
            return failure(QStringLiteral("No folders found."));
    }
    result.request = request;
    return result;
}

} // namespace pigmo
