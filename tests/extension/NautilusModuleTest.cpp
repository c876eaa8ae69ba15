// The Nautilus 43 module, loaded and driven as Nautilus does.

#include <nautilus-extension.h>

#include "extension/FileManagerModuleTests.h"

namespace {

struct Nautilus {
    static constexpr const char* name = "nautilus";
    static constexpr const char* modulePath = PIGMO_MODULE_PATH;
    using FileInfoInterface = NautilusFileInfoInterface;
    static GType fileInfoType() { return NAUTILUS_TYPE_FILE_INFO; }
    static GType menuProviderType() { return NAUTILUS_TYPE_MENU_PROVIDER; }
    static GList* fileItems(GObject* provider, GList* files)
    {
        return nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
    }
    static GList* backgroundItems(GObject* provider, GObject* currentFolder)
    {
        return nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider),
                                                           NAUTILUS_FILE_INFO(currentFolder));
    }
};

} // namespace

namespace pigmo::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Nautilus, FileManagerModuleTest, Nautilus);
} // namespace pigmo::test

// The whole road with the real program: the module's entry, the store, the start of the installed program
// through its desktop file, which hands over to the running program (here, this test), whose editor then
// holds the folders. Nothing is applied to them before the user does so.

#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "colorize_menu.h"
#include "platform/GvfsMetadata.h"
#include "platform/SingleInstance.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/Preferences.h"
#include "ui/main/MainView.h"

namespace {

using namespace pigmo;

class NautilusModuleWithProgram : public test::FileManagerModuleTest<Nautilus> {
protected:
    void SetUp() override
    {
        test::FileManagerModuleTest<Nautilus>::SetUp();
        if (HasFatalFailure())
            return;
        // A private runtime folder: the program's instance socket, shared with the started program only.
        const QString runtime = root.filePath(QStringLiteral("run"));
        ASSERT_TRUE(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        ASSERT_TRUE(test::installProgram(QStringLiteral(PIGMO2_BINARY)));

        Preferences::setValue(prefs::hasCompletedOnboarding, true);
        channel = std::make_unique<SingleInstance>();
        ASSERT_EQ(channel->claim(LaunchRequest{}), SingleInstance::Role::primary);
        services = std::make_unique<AppServices>();
        delegate = std::make_unique<AppDelegate>(*services);
        delegate->setRequestChannel(channel.get());
        delegate->applicationDidFinishLaunching({});
        delegate->mainWindow()->hide();
    }
    void TearDown() override
    {
        delegate.reset();
        services.reset();
        channel.reset();
        test::FileManagerModuleTest<Nautilus>::TearDown();
    }

    QStringList editedFolders() const
    {
        return delegate->contentView() ? pigmo::pathsOf(delegate->contentView()->folders()) : QStringList{};
    }
    bool waitForEditedFolders(const QStringList& paths) const
    {
        return QTest::qWaitFor([&] { return editedFolders() == paths; }, 30'000);
    }
    static bool untouched(const QString& path)
    {
        return !ExtendedAttributesManager{}.readSettings(path) && GvfsMetadata::customIcon(path).isEmpty() &&
               !QFile::exists(path + QStringLiteral("/.directory"));
    }

    std::unique_ptr<SingleInstance> channel;
    std::unique_ptr<AppServices> services;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(NautilusModuleWithProgram, ChosenFoldersEndInTheRunningProgramsEditorUntouched)
{
    const QString summer = makeFolder(QStringLiteral("Mes dossiers/Été 2024 – vacances"));
    const QString notes = makeFile(QStringLiteral("Mes dossiers/notes.txt"));
    const QString music = makeFolder(QStringLiteral("Ünïcødé Musik ♫"));
    const std::vector<test::Object> items = fileItems({summer, notes, music});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(property(items[0], "label"), QStringLiteral("Colorize 2 Folders"));

    choose(items[0]);
    ASSERT_TRUE(waitForEditedFolders({summer, music})) << editedFolders().size();
    EXPECT_TRUE(delegate->mainWindow()->isVisible());
    EXPECT_TRUE(test::takeStore().isEmpty()); // the program took the entries
    EXPECT_TRUE(untouched(summer));
    EXPECT_TRUE(untouched(music));
}

TEST_F(NautilusModuleWithProgram, TheFolderWindowsEntryOpensItsVisibleSubfolders)
{
    const QString box = makeFolder(QStringLiteral("Boîte à idées"));
    const QString one = makeFolder(QStringLiteral("Boîte à idées/un"));
    const QString two = makeFolder(QStringLiteral("Boîte à idées/deux"));
    makeFolder(QStringLiteral("Boîte à idées/.caché"));
    makeFile(QStringLiteral("Boîte à idées/liste.txt"));
    const std::vector<test::Object> items = backgroundItems(box);
    ASSERT_EQ(items.size(), 1u);

    choose(items[0]);
    ASSERT_TRUE(waitForEditedFolders({two, one})) << editedFolders().size(); // in name order
    EXPECT_TRUE(untouched(one));
    EXPECT_TRUE(untouched(two));
}

TEST_F(NautilusModuleWithProgram, EntriesWrittenByAnyOtherProgramKeepOnlyExistingLocalFolders)
{
    // Any program of the user can write the store: the running program keeps only existing local folders.
    const QString real = makeFolder(QStringLiteral("real"));
    const QString file = makeFile(QStringLiteral("file.txt"));
    const QString gone = makeFolder(QStringLiteral("gone"));
    ASSERT_TRUE(QDir(gone).removeRecursively());
    ASSERT_TRUE(AppGroupStore::setFolderURLs({test::fileURI(file), QStringLiteral("sftp://elsewhere/home"),
                                              test::fileURI(gone), QStringLiteral("not a url"), test::fileURI(real)}));
    ASSERT_TRUE(AppGroupStore::setContainerURL(QStringLiteral("smb://server/share")));

    EXPECT_TRUE(pigmo_colorize_launch_program());
    ASSERT_TRUE(waitForEditedFolders({real})) << editedFolders().size();
    EXPECT_TRUE(untouched(real));
    EXPECT_TRUE(test::takeStore().isEmpty());
}
