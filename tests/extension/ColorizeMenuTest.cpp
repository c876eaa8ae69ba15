// The entries' core: titles for what is selected, the hand-over it writes and the start of the program.

#include "colorize_menu.h"

#include "extension/ExtensionTestSupport.h"
#include "support/FileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace pigmo;
using namespace pigmo::test;

namespace {

class ColorizeMenuTest : public EntriesTest {
protected:
    // A NULL-terminated array of the URIs, valid while `uris` lives.
    static std::vector<const gchar*> strv(const std::vector<QByteArray>& uris)
    {
        std::vector<const gchar*> result;
        for (const QByteArray& uri : uris)
            result.push_back(uri.constData());
        result.push_back(nullptr);
        return result;
    }
    static std::vector<QByteArray> urisOf(const QStringList& paths)
    {
        std::vector<QByteArray> uris;
        for (const QString& path : paths)
            uris.push_back(fileURI(path).toUtf8());
        return uris;
    }

    static QString title(const QStringList& paths)
    {
        const std::vector<QByteArray> uris = urisOf(paths);
        gchar* text = pigmo_colorize_selection_title(strv(uris).data());
        const QString result = text ? QString::fromUtf8(text) : QStringLiteral("<none>");
        g_free(text);
        return result;
    }

    static void chooseFolders(const QStringList& paths)
    {
        const std::vector<QByteArray> uris = urisOf(paths);
        pigmo_colorize_folders(strv(uris).data());
    }
};

} // namespace

TEST_F(ColorizeMenuTest, TitlesCountOnlyExistingFolders)
{
    const QString one = makeFolder(QStringLiteral("one"));
    const QString two = makeFolder(QStringLiteral("two"));
    const QString notes = makeFile(QStringLiteral("notes.txt"));
    const QString gone = makeFolder(QStringLiteral("gone"));
    ASSERT_TRUE(QDir(gone).removeRecursively());

    EXPECT_EQ(title({}), QStringLiteral("<none>"));
    EXPECT_EQ(title({notes}), QStringLiteral("<none>"));
    EXPECT_EQ(title({one}), QStringLiteral("Colorize Folder"));
    EXPECT_EQ(title({one, notes}), QStringLiteral("Colorize Folder"));
    EXPECT_EQ(title({one, notes, two}), QStringLiteral("Colorize 2 Folders"));
    EXPECT_EQ(title({gone}), QStringLiteral("<none>"));
    EXPECT_EQ(title({gone, one}), QStringLiteral("Colorize Folder"));

    // Twelve folders: the count is written out in full.
    QStringList many;
    for (int i = 0; i < 12; ++i)
        many.append(makeFolder(QStringLiteral("many/%1").arg(i)));
    EXPECT_EQ(title(many), QStringLiteral("Colorize 12 Folders"));
}

TEST_F(ColorizeMenuTest, OnlyLocalFoldersAndLinksToThemCount)
{
    const QString real = makeFolder(QStringLiteral("real"));
    ASSERT_TRUE(QFile::link(real, root.filePath(QStringLiteral("link"))));
    const std::vector<QByteArray> uris{QByteArrayLiteral("trash:///real"), QByteArrayLiteral("not a uri"),
                                       fileURI(root.filePath(QStringLiteral("link"))).toUtf8(),
                                       QByteArrayLiteral("sftp://host/home"),
                                       "file://elsewhere" + fileURI(real).toUtf8().mid(7)};
    gchar** folders = pigmo_colorize_existing_folders(strv(uris).data());
    ASSERT_EQ(g_strv_length(folders), 1u);
    EXPECT_EQ(QUrl(QString::fromUtf8(folders[0])).toLocalFile(), root.filePath(QStringLiteral("link")));
    g_strfreev(folders);
}

TEST_F(ColorizeMenuTest, ChoosingFoldersWritesOnlyTheFoldersInSelectionOrder)
{
    installRecordingProgram();
    const QString b = makeFolder(QStringLiteral("b"));
    const QString notes = makeFile(QStringLiteral("notes.txt"));
    const QString a = makeFolder(QStringLiteral("a"));
    chooseFolders({b, notes, a});
    const HandOver taken = takeStore();
    ASSERT_TRUE(taken.folderURLs);
    for (const QString& url : *taken.folderURLs)
        EXPECT_TRUE(url.startsWith(QStringLiteral("file:///"))) << url.toStdString();
    EXPECT_EQ(pathsOf(*taken.folderURLs), (QStringList{b, a}));
    EXPECT_FALSE(taken.containerURL);
}

TEST_F(ColorizeMenuTest, SpacesAndLettersBeyondAsciiSurviveTheRoundTrip)
{
    installRecordingProgram();
    const QString folder = makeFolder(QStringLiteral("Mes dossiers/Été 2024 – Ünïcødé ✓"));
    chooseFolders({folder});
    const HandOver taken = takeStore();
    ASSERT_TRUE(taken.folderURLs);
    ASSERT_EQ(taken.folderURLs->size(), 1);
    EXPECT_FALSE(taken.folderURLs->first().contains(u' ')); // written as a URL, not as a path
    EXPECT_EQ(pathsOf(*taken.folderURLs), QStringList{folder});
}

TEST_F(ColorizeMenuTest, FoldersGoneSinceTheMenuAreDroppedAndNothingIsLeftDoesNothing)
{
    installRecordingProgram();
    const QString kept = makeFolder(QStringLiteral("kept"));
    const QString gone = makeFolder(QStringLiteral("gone"));
    const std::vector<QByteArray> uris = urisOf({gone, kept});
    ASSERT_TRUE(QDir(gone).removeRecursively());
    pigmo_colorize_folders(strv(uris).data());
    EXPECT_EQ(takeFolderPaths(), QStringList{kept});
    ASSERT_TRUE(QTest::qWaitFor([&] { return starts() == 1; }, 5000));

    ASSERT_TRUE(QDir(kept).removeRecursively());
    pigmo_colorize_folders(strv(uris).data());
    const HandOver nothing = takeStore();
    EXPECT_FALSE(nothing.folderURLs);
    QTest::qWait(200);
    EXPECT_EQ(starts(), 1); // not started again
}

TEST_F(ColorizeMenuTest, ASecondChoiceReplacesTheFirstList)
{
    installRecordingProgram();
    const QString first = makeFolder(QStringLiteral("first"));
    const QString second = makeFolder(QStringLiteral("second"));
    const QString third = makeFolder(QStringLiteral("third"));
    chooseFolders({first, second});
    chooseFolders({third});
    EXPECT_EQ(takeFolderPaths(), QStringList{third});
}

TEST_F(ColorizeMenuTest, TheContainerEntryLeavesTheFolderListAsItIs)
{
    installRecordingProgram();
    const QString listed = makeFolder(QStringLiteral("listed"));
    const QString container = makeFolder(QStringLiteral("Photos de vacances"));
    chooseFolders({listed});
    pigmo_colorize_all_folders_in(fileURI(container).toUtf8().constData());
    const HandOver taken = takeStore();
    EXPECT_EQ(pathsOf(taken.folderURLs.value_or(QStringList{})), QStringList{listed});
    ASSERT_TRUE(taken.containerURL);
    EXPECT_EQ(QUrl(*taken.containerURL, QUrl::StrictMode).toLocalFile(), container);
}

TEST_F(ColorizeMenuTest, WithoutTheProgramTheFailureIsLoggedAndTheChoiceIsTakenBack)
{
    const QString folder = makeFolder(QStringLiteral("folder"));
    const QString elsewhere = makeFolder(QStringLiteral("elsewhere"));
    gchar* icon = pigmo_colorize_program_icon();
    EXPECT_EQ(icon, nullptr);
    g_free(icon);
    ASSERT_TRUE(AppGroupStore::setContainerURL(fileURI(elsewhere))); // another choice's entry

    const PrintedErrors errors;
    chooseFolders({folder});
    EXPECT_TRUE(errors.text().startsWith(QStringLiteral("Failed to launch main app: Pigmo 2 is not installed")))
        << errors.text().toStdString();
    const HandOver left = takeStore();
    EXPECT_FALSE(left.folderURLs); // not left to surface at some later start
    EXPECT_EQ(left.containerURL, fileURI(elsewhere));
}

TEST_F(ColorizeMenuTest, TheInstalledProgramIsStartedAndLendsItsIcon)
{
    installRecordingProgram();
    gchar* icon = pigmo_colorize_program_icon();
    ASSERT_TRUE(icon);
    EXPECT_STREQ(icon, "io.velmar.pigmo2");
    g_free(icon);

    const PrintedErrors errors;
    pigmo_colorize_all_folders_in(fileURI(makeFolder(QStringLiteral("here"))).toUtf8().constData());
    ASSERT_TRUE(QTest::qWaitFor([&] { return starts() == 1; }, 5000));
    QFile record(startsFile());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll(), QByteArray("started \n")); // the folders travel through the store only
    EXPECT_TRUE(errors.text().isEmpty()) << errors.text().toStdString();
}

TEST_F(ColorizeMenuTest, AFailedStartIsLoggedAndTakesBackOnlyWhatItsChoiceWrote)
{
    // The program is found, but its working directory is gone: it cannot be started.
    const QString script = installRecordingProgram();
    ASSERT_TRUE(installProgram(script, root.filePath(QStringLiteral("no such folder"))));
    const QString listed = makeFolder(QStringLiteral("listed"));
    const QString container = makeFolder(QStringLiteral("container"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({fileURI(listed)})); // another choice's entry

    const PrintedErrors errors;
    pigmo_colorize_all_folders_in(fileURI(container).toUtf8().constData());
    EXPECT_TRUE(errors.text().startsWith(QStringLiteral("Failed to launch main app: "))) << errors.text().toStdString();
    EXPECT_GT(errors.text().size(), QStringLiteral("Failed to launch main app: \n").size()); // with the reason
    const HandOver left = takeStore();
    EXPECT_FALSE(left.containerURL);
    EXPECT_EQ(pathsOf(left.folderURLs.value_or(QStringList{})), QStringList{listed});

    chooseFolders({listed});
    EXPECT_TRUE(takeStore().isEmpty());
    QTest::qWait(200);
    EXPECT_EQ(starts(), 0);
}

TEST_F(ColorizeMenuTest, AStoreThatCannotBeWrittenIsLoggedAndTheProgramStillStarts)
{
    installRecordingProgram();
    const QString folder = makeFolder(QStringLiteral("folder"));
    const QString config = QString::fromUtf8(g_get_user_config_dir());
    const WriteProtection protection(config);
    if (!protection.active())
        GTEST_SKIP() << "cannot write-protect " << config.toStdString();

    const PrintedErrors errors;
    chooseFolders({folder});
    EXPECT_TRUE(errors.text().startsWith(QStringLiteral("Cannot hand the folders over to Pigmo 2: ")))
        << errors.text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return starts() == 1; }, 5000));
}
