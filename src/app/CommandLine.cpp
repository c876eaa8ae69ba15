#include "app/CommandLine.h"

#include "app/AppIdentity.h"
#include "app/FolderIntake.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace pigmo {
namespace {

QList<QUrl> folderArguments(const QStringList& arguments, const QString& workingDirectory)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments) {
        if (const std::optional<QUrl> url = FolderIntake::argumentURL(argument, workingDirectory))
            urls.append(*url);
    }
    return FolderIntake::existingDirectories(urls);
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, const QString& workingDirectory)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Gives folders custom colors and icons."));
    const QCommandLineOption open(QStringLiteral("open"), QStringLiteral("Open the folders in the editor."));
    const QCommandLineOption smart(QStringLiteral("smart"),
                                   QStringLiteral("Style the folders at once with a glyph from each name."));
    const QCommandLineOption autostart(QStringLiteral("autostart"),
                                       QStringLiteral("Start at login: the window stays hidden."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOptions({open, smart, autostart, help, version});
    parser.addPositionalArgument(QStringLiteral("folders"), QStringLiteral("Folders: paths or file:// URIs."),
                                 QStringLiteral("[FOLDER...]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.outcome = Outcome::invalid;
        result.message = parser.errorText() + u'\n' + parser.helpText();
        return result;
    }
    if (parser.isSet(help)) {
        result.outcome = Outcome::showHelp;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = Outcome::showVersion;
        result.message = AppIdentity::bundleName() + u' ' + QCoreApplication::applicationVersion();
        return result;
    }
    if (parser.isSet(open) && parser.isSet(smart)) {
        result.outcome = Outcome::invalid;
        result.message = QStringLiteral("--open and --smart cannot be used together.");
        return result;
    }
    result.request.launchedAsLoginItem = parser.isSet(autostart);
    const QStringList operands = parser.positionalArguments();
    const QList<QUrl> folders = folderArguments(operands, workingDirectory);
    // Folders were asked for but none is one: nothing usable came. "--open" without operands (a
    // launcher's empty "%U") is a plain start.
    if ((!operands.isEmpty() || parser.isSet(smart)) && folders.isEmpty()) {
        result.outcome = Outcome::noFolders;
        result.message = QStringLiteral("No folders found.");
        return result;
    }
    (parser.isSet(smart) ? result.request.foldersToStyle : result.request.foldersToOpen) = folders;
    return result;
}

int CommandLine::exitStatus() const
{
    switch (outcome) {
    case Outcome::run:
    case Outcome::showHelp:
    case Outcome::showVersion:
        return 0;
    case Outcome::invalid:
        return 2;
    case Outcome::noFolders:
        return 1;
    }
    return 1;
}

} // namespace pigmo
