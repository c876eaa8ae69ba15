#include "platform/CommandLine.h"

#include "base/LocalPath.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

using namespace pigmo;
using Action = LaunchRequest::Action;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString a = dir.filePath(QStringLiteral("a b"));
    QString c = dir.filePath(QStringLiteral("ç"));

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkdir(a));
        ASSERT_TRUE(QDir().mkdir(c));
    }

    CommandLineResult parse(QStringList arguments) const
    {
        arguments.prepend(QStringLiteral("pigmo2"));
        return CommandLine::parse(arguments, dir.path());
    }
};

TEST_F(CommandLineTest, PlainStartAndAutostart)
{
    EXPECT_EQ(parse({}).request, LaunchRequest{});
    EXPECT_EQ(parse({QStringLiteral("--autostart")}).request->action, Action::autostart);
}

TEST_F(CommandLineTest, VerboseGoesWithAnyRequestAndIsNotHandedOver)
{
    EXPECT_FALSE(parse({}).verbose);
    const CommandLineResult smart = parse({QStringLiteral("--smart"), QStringLiteral("--verbose"), a});
    EXPECT_TRUE(smart.verbose);
    ASSERT_TRUE(smart.request);
    EXPECT_EQ(smart.request->action, Action::smart);
    EXPECT_EQ(smart.request->folders, QStringList{a});
    EXPECT_EQ(LaunchRequest::fromBytes(smart.request->toBytes()), smart.request);
    EXPECT_TRUE(parse({QStringLiteral("--verbose")}).verbose);
    EXPECT_EQ(parse({QStringLiteral("--verbose")}).request, LaunchRequest{});
}

TEST_F(CommandLineTest, OpenAndSmartKeepOnlyExistingLocalFoldersInOrder)
{
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    const CommandLineResult open =
        parse({QStringLiteral("--open"), QUrl::fromLocalFile(c).toString(), QStringLiteral("a b"), file,
               QStringLiteral("/missing"), QStringLiteral("sftp://host/dir"), a + QStringLiteral("/../a b/")});
    ASSERT_TRUE(open.request);
    EXPECT_EQ(open.request->action, Action::open);
    EXPECT_EQ(open.request->folders, (QStringList{c, a, a}));

    const CommandLineResult smart = parse({QStringLiteral("--smart"), a});
    EXPECT_EQ(smart.request->action, Action::smart);
    EXPECT_EQ(smart.request->folders, QStringList{a});
    EXPECT_EQ(parse({a}).request->action, Action::open) << "Open With passes bare folders";
}

TEST_F(CommandLineTest, SubfoldersTakeEachFoldersVisibleSubfoldersInItsPlace)
{
    for (const char* sub : {"a b/z", "a b/m", "a b/.hidden", "ç/only"})
        ASSERT_TRUE(QDir(dir.path()).mkpath(QString::fromUtf8(sub)));
    ASSERT_TRUE(QFile::link(c, a + QStringLiteral("/link")));
    const CommandLineResult open =
        parse({QStringLiteral("--open"), QStringLiteral("--subfolders"), QUrl::fromLocalFile(a).toString(), c});
    ASSERT_TRUE(open.request) << open.errorOutput.toStdString();
    EXPECT_EQ(open.request->action, Action::open);
    EXPECT_EQ(open.request->folders,
              (QStringList{a + QStringLiteral("/m"), a + QStringLiteral("/z"), c + QStringLiteral("/only")}));
    EXPECT_EQ(parse({QStringLiteral("--subfolders"), c}).request->folders, QStringList{c + QStringLiteral("/only")});
    EXPECT_EQ(parse({QStringLiteral("--smart"), QStringLiteral("--subfolders"), c}).request->action, Action::smart);

    const CommandLineResult empty = parse({QStringLiteral("--subfolders"), c + QStringLiteral("/only")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.errorOutput, QStringLiteral("No folders found."));
    EXPECT_EQ(parse({QStringLiteral("--subfolders")}).exitCode, 1);
    EXPECT_EQ(parse({QStringLiteral("--autostart"), QStringLiteral("--subfolders")}).exitCode, 1);
}

TEST_F(CommandLineTest, NoFoldersFoundExitsWithStatusOne)
{
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--open")}, QStringList{QStringLiteral("--smart"), file},
          QStringList{QStringLiteral("--open"), QStringLiteral("https://example.com/")}}) {
        const CommandLineResult result = parse(arguments);
        EXPECT_FALSE(result.request);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.errorOutput, QStringLiteral("No folders found."));
    }
}

// A plain file names no folder and is left out; everything else that cannot be reached as a folder is named
// with the reason, in the order given.
TEST_F(CommandLineTest, NamedFoldersThatCannotBeReachedAreListedWithTheirReason)
{
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("loop")), dir.filePath(QStringLiteral("loop"))));
    const QStringList arguments{QStringLiteral("--smart"),
                                QStringLiteral("dangling"),
                                file,
                                a,
                                QStringLiteral("loop/"),
                                QStringLiteral("Missing"),
                                file + QStringLiteral("/inside"),
                                QStringLiteral("sftp://host/dir")};
    const CommandLineResult smart = parse(arguments);
    ASSERT_TRUE(smart.request);
    EXPECT_EQ(smart.request->folders, QStringList{a});
    const QList<UnreachableFolder> expected{
        {dir.filePath(QStringLiteral("dangling")), QStringLiteral("it is a symbolic link to nothing")},
        {dir.filePath(QStringLiteral("loop")), QStringLiteral("too many levels of symbolic links")},
        {dir.filePath(QStringLiteral("Missing")), QStringLiteral("no such file or directory")},
        {file + QStringLiteral("/inside"), QStringLiteral("not a directory")},
        {QStringLiteral("sftp://host/dir"), QStringLiteral("it is not a folder on this computer")},
    };
    EXPECT_EQ(smart.unreachable, expected);

    // With nothing else to style, --smart ends with the status of folders not styled; --open finds none.
    QStringList unreachableOnly = arguments;
    unreachableOnly.removeAll(a);
    const CommandLineResult none = parse(unreachableOnly);
    EXPECT_FALSE(none.request);
    EXPECT_EQ(none.exitCode, CommandLineResult::noneReachable);
    EXPECT_TRUE(none.errorOutput.isEmpty());
    EXPECT_EQ(none.unreachable, expected);
    unreachableOnly[0] = QStringLiteral("--open");
    const CommandLineResult open = parse(unreachableOnly);
    EXPECT_EQ(open.exitCode, 1);
    EXPECT_EQ(open.errorOutput, QStringLiteral("No folders found."));
    EXPECT_EQ(open.unreachable, expected);
}

// Names that are no UTF-8 arrive as bytes, travel as bytes and name their folders.
TEST_F(CommandLineTest, FolderNamesThatAreNoUtf8KeepTheirBytes)
{
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9";
    const QByteArray mixed = QFile::encodeName(dir.path()) + "/\xff\xfe \xc3\xa9t\xc3\xa9";
    for (const QByteArray& name : {latin1, mixed})
        ASSERT_EQ(::mkdir(name.constData(), 0755), 0);
    const char* argv[] = {"pigmo2", "--smart", latin1.constData(), mixed.constData()};
    const QStringList arguments = CommandLine::arguments(4, argv);
    const CommandLineResult smart = CommandLine::parse(arguments, dir.path());
    ASSERT_TRUE(smart.request);
    ASSERT_EQ(smart.request->folders.size(), 2);
    EXPECT_TRUE(smart.unreachable.isEmpty());
    EXPECT_EQ(encodeLocalPath(smart.request->folders[0]), latin1);
    EXPECT_EQ(encodeLocalPath(smart.request->folders[1]), mixed);
    // Handed over whole: the running program gets the same bytes.
    const std::optional<LaunchRequest> received = LaunchRequest::fromBytes(smart.request->toBytes());
    ASSERT_TRUE(received);
    EXPECT_EQ(*received, *smart.request);
    EXPECT_TRUE(smart.request->toBytes().contains(latin1));
    // And as a "file:" URI, percent-encoded.
    const QByteArray uri = "file://" + QByteArray(latin1).toPercentEncoding("/");
    const CommandLineResult byUri =
        CommandLine::parse({QStringLiteral("pigmo2"), QStringLiteral("--smart"), QString::fromLatin1(uri)}, dir.path());
    ASSERT_TRUE(byUri.request);
    EXPECT_EQ(byUri.request->folders, QStringList{smart.request->folders[0]});
}

TEST_F(CommandLineTest, HelpVersionAndMistakes)
{
    QCoreApplication::setApplicationName(QStringLiteral("pigmo2"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0"));
    const CommandLineResult help = parse({QStringLiteral("--help")});
    EXPECT_FALSE(help.request);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--open", "--smart", "--subfolders", "--autostart", "--version"})
        EXPECT_TRUE(help.output.contains(QLatin1String(option))) << option;
    EXPECT_EQ(parse({QStringLiteral("--version")}).output, QStringLiteral("pigmo2 2.0.0"));

    const CommandLineResult unknown = parse({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.errorOutput.contains(QStringLiteral("frobnicate")));
    EXPECT_EQ(parse({QStringLiteral("--open"), QStringLiteral("--smart"), a}).exitCode, 1);
}

TEST_F(CommandLineTest, RequestSurvivesItsWireFormOnlyWhenWellFormed)
{
    const LaunchRequest request{Action::smart, {a, c}};
    EXPECT_EQ(LaunchRequest::fromBytes(request.toBytes()), request);
    EXPECT_FALSE(LaunchRequest::fromBytes(QByteArray("junk")));
    QByteArray truncated = request.toBytes();
    truncated.chop(3);
    EXPECT_FALSE(LaunchRequest::fromBytes(truncated));
    QByteArray boastful = LaunchRequest{Action::open, {}}.toBytes();
    boastful.append(QByteArray::fromHex("fffffff0") + "abc"); // claims four gigabytes, sends three bytes
    EXPECT_FALSE(LaunchRequest::fromBytes(boastful));
    EXPECT_EQ(LaunchRequest::fromBytes(LaunchRequest{Action::launch, {}}.toBytes()), LaunchRequest{});
}

TEST_F(CommandLineTest, ANotificationTravelsByNameAlone)
{
    LaunchRequest notification{Action::notify, {}};
    notification.notification = QStringLiteral("pigmoTestApplyAnimation");
    EXPECT_EQ(LaunchRequest::fromBytes(notification.toBytes()), notification);
    // A notification names exactly one thing.
    EXPECT_FALSE(LaunchRequest::fromBytes(LaunchRequest{Action::notify, {}}.toBytes().chopped(4)));
    EXPECT_FALSE(LaunchRequest::fromBytes(LaunchRequest{Action::open, {a, c}}.toBytes().replace(4, 1, "\x04")));
    QByteArray unknown = notification.toBytes();
    unknown[4] = char(int(Action::notify) + 1);
    EXPECT_FALSE(LaunchRequest::fromBytes(unknown));
}

} // namespace

TEST_F(CommandLineTest, ALinkToAFolderIsFollowedToThatFolder)
{
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(a, link));
    const CommandLineResult smart = parse({QStringLiteral("--smart"), QStringLiteral("link")});
    ASSERT_TRUE(smart.request);
    EXPECT_EQ(smart.request->folders, QStringList{QFileInfo(a).canonicalFilePath()});
}
