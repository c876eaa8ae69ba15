#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;
using Outcome = CommandLine::Outcome;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    CommandLine parse(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("pigmo2"));
        return CommandLine::parse(arguments, root.path());
    }
    QUrl folder(const QString& name)
    {
        QDir(root.path()).mkpath(name);
        return QUrl::fromLocalFile(root.filePath(name));
    }
    QTemporaryDir root;
};

} // namespace

TEST_F(CommandLineTest, PlainStartsAndTheLoginStart)
{
    CommandLine plain = parse({});
    EXPECT_EQ(plain.outcome, Outcome::run);
    EXPECT_FALSE(plain.request.launchedAsLoginItem);
    EXPECT_TRUE(plain.request.foldersToOpen.isEmpty());
    EXPECT_EQ(parse({"--open"}).outcome, Outcome::run); // a launcher's empty %U
    EXPECT_TRUE(parse({"--autostart"}).request.launchedAsLoginItem);
}

TEST_F(CommandLineTest, OpenAndSmartKeepOnlyExistingFolders)
{
    const QUrl music = folder(QStringLiteral("Music"));
    const QUrl invoices = folder(QStringLiteral("Invoices"));
    QFile(root.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);

    const CommandLine open = parse({"--open", "Music", "notes.txt", invoices.toString(), "missing"});
    EXPECT_EQ(open.outcome, Outcome::run);
    EXPECT_EQ(open.request.foldersToOpen, (QList<QUrl>{music, invoices}));
    EXPECT_TRUE(open.request.foldersToStyle.isEmpty());

    const CommandLine smart = parse({"--smart", music.toLocalFile()});
    EXPECT_EQ(smart.request.foldersToStyle, QList<QUrl>{music});
    EXPECT_TRUE(smart.request.foldersToOpen.isEmpty());

    EXPECT_EQ(parse({invoices.toLocalFile()}).request.foldersToOpen, QList<QUrl>{invoices});
}

TEST_F(CommandLineTest, NothingUsableIsNoFoldersFoundWithStatusOne)
{
    QFile(root.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    for (const QStringList& arguments :
         {QStringList{"--smart", "notes.txt"}, QStringList{"--open", "missing"}, QStringList{"--smart"},
          QStringList{"--smart", "https://example.com/folder"}}) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.outcome, Outcome::noFolders) << arguments.join(u' ').toStdString();
        EXPECT_EQ(line.message, QStringLiteral("No folders found."));
        EXPECT_EQ(line.exitStatus(), 1);
    }
}

TEST_F(CommandLineTest, HelpVersionAndMistakes)
{
    EXPECT_EQ(parse({"--help"}).outcome, Outcome::showHelp);
    EXPECT_TRUE(parse({"--help"}).message.contains(QStringLiteral("--smart")));
    EXPECT_EQ(parse({"--version"}).outcome, Outcome::showVersion);
    EXPECT_EQ(parse({"--version"}).exitStatus(), 0);
    EXPECT_EQ(parse({"--colour"}).outcome, Outcome::invalid);
    EXPECT_EQ(parse({"--colour"}).exitStatus(), 2);
    EXPECT_EQ(parse({"--open", "--smart", "x"}).outcome, Outcome::invalid);
}
