#include "platform/CommandLine.h"

#include "base/Folder.h"
#include "base/LocalPath.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIODevice>
#include <QtEndian>

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

// The existing local folders the arguments name, in order; with `subfolders`, each one's visible subfolders
// in its place. The named folders that cannot be reached go to `unreachable`, in order.
QStringList foldersOf(const QStringList& arguments, const QString& workingDirectory, bool subfolders,
                      QList<UnreachableFolder>& unreachable)
{
    QStringList folders;
    for (const QString& argument : arguments) {
        const FolderArgument named = Folder::examineArgument(argument, workingDirectory);
        if (!named.unreachable.isEmpty())
            unreachable.append({named.path, named.unreachable});
        if (!named.folder)
            continue;
        for (const Folder& each : subfolders ? named.folder->visibleSubfolders() : QList{*named.folder})
            folders.append(each.path());
    }
    return folders;
}

} // namespace

// Wire form: the magic number, the action (one byte), then each folder as a 32-bit length and the bytes of
// its name (`encodeLocalPath`: UTF-8, and the bytes of a name that is none as they are), all big-endian. Parsed by hand
// so that no length from the socket can make us allocate more than it sent.
QByteArray LaunchRequest::toBytes() const
{
    QByteArray bytes;
    const auto appendNumber = [&bytes](quint32 number) {
        const quint32 big = qToBigEndian(number);
        bytes.append(reinterpret_cast<const char*>(&big), sizeof big);
    };
    appendNumber(requestMagic);
    bytes.append(char(action));
    for (const QString& folder : action == Action::notify ? QStringList{notification} : folders) {
        const QByteArray name = encodeLocalPath(folder);
        appendNumber(quint32(name.size()));
        bytes.append(name);
    }
    return bytes;
}

std::optional<LaunchRequest> LaunchRequest::fromBytes(const QByteArray& bytes)
{
    qsizetype at = 0;
    const auto readNumber = [&bytes, &at]() -> std::optional<quint32> {
        if (bytes.size() - at < qsizetype(sizeof(quint32)))
            return std::nullopt;
        const quint32 number = qFromBigEndian<quint32>(bytes.constData() + at);
        at += sizeof(quint32);
        return number;
    };
    if (readNumber() != requestMagic || at >= bytes.size())
        return std::nullopt;
    const int action = bytes.at(at++);
    if (action < int(Action::launch) || action > int(Action::notify))
        return std::nullopt;
    LaunchRequest request;
    request.action = Action(action);
    while (at < bytes.size()) {
        const std::optional<quint32> length = readNumber();
        if (!length || *length > quint64(bytes.size() - at))
            return std::nullopt;
        request.folders.append(decodeLocalPath(QByteArrayView(bytes.constData() + at, qsizetype(*length))));
        at += qsizetype(*length);
    }
    if (request.action == Action::notify) { // exactly one name
        if (request.folders.size() != 1)
            return std::nullopt;
        request.notification = request.folders.takeFirst();
    }
    return request;
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
    const QCommandLineOption subfolders(QStringLiteral("subfolders"),
                                        QStringLiteral("Take the visible subfolders of the folders instead."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Print diagnostic lines."));
    parser.addOptions({autostart, open, smart, subfolders, verbose});
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

    result.verbose = parser.isSet(verbose);
    LaunchRequest request;
    const QStringList given = parser.positionalArguments();
    if (parser.isSet(autostart))
        request.action = LaunchRequest::Action::autostart;
    else if (parser.isSet(smart))
        request.action = LaunchRequest::Action::smart;
    else if (parser.isSet(open) || !given.isEmpty())
        request.action = LaunchRequest::Action::open;
    const bool takesFolders =
        request.action == LaunchRequest::Action::open || request.action == LaunchRequest::Action::smart;
    if (parser.isSet(subfolders) && !takesFolders)
        return failure(QStringLiteral("--subfolders goes with folders to open or style."));
    if (takesFolders) {
        request.folders = foldersOf(given, workingDirectory, parser.isSet(subfolders), result.unreachable);
        if (request.folders.isEmpty()) {
            if (request.action == LaunchRequest::Action::smart && !result.unreachable.isEmpty()) {
                result.exitCode = CommandLineResult::noneReachable;
                return result;
            }
            CommandLineResult refused = failure(QStringLiteral("No folders found."));
            refused.unreachable = result.unreachable;
            return refused;
        }
    }
    result.request = request;
    return result;
}

QStringList CommandLine::arguments(int argc, const char* const* argv)
{
    QStringList list;
    list.reserve(argc);
    for (int i = 0; i < argc; ++i)
        list.append(decodeLocalPath(argv[i]));
    return list;
}

} // namespace pigmo
