#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "platform/GvfsMetadata.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"
#include "ui/main/MainView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

// What `pigmo2 --smart` asks for (the command line keeps only existing folders; a folder may still go
// before it is styled).
LaunchRequest smartRequest(const QList<Folder>& folders)
{
    return LaunchRequest{LaunchRequest::Action::smart, pathsOf(folders)};
}

class SmartIntakeTest : public ::testing::Test {
protected:
    void SetUp() override { Preferences::setValue(prefs::hasCompletedOnboarding, true); }

    QList<Folder> makeFolders(const QStringList& names)
    {
        QList<Folder> folders;
        for (const QString& name : names) {
            EXPECT_TRUE(QDir(root.path()).mkpath(name));
            folders.append(*Folder::fromPath(root.filePath(name)));
        }
        return folders;
    }

    // Styles the folders the way `pigmo2 --smart` does and waits until every one was styled or skipped.
    void styleAtLaunch(AppDelegate& delegate, const QList<Folder>& folders)
    {
        const LaunchRequest request = smartRequest(folders);
        delegate.applicationDidFinishLaunching(request);
        QSignalSpy painted(&services.styler(), &FolderStyler::folderFinished);
        ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count() == folders.size(); }, 60'000));
        for (const QList<QVariant>& arguments : painted) {
            const auto outcome = arguments.at(0).value<FolderStyler::Outcome>();
            EXPECT_TRUE(outcome.succeeded()) << outcome.folder.path().toStdString();
        }
    }

    void expectStyledWithGlyph(const Folder& folder)
    {
        const std::optional<ColorizationData> stored = services.attributes().readSettings(folder.path());
        ASSERT_TRUE(stored) << folder.path().toStdString();
        EXPECT_TRUE(stored->icon) << "no glyph for " << folder.name().toStdString();
        EXPECT_TRUE(stored->iconSize);
        EXPECT_TRUE(GvfsMetadata::customIcon(folder.path()).startsWith(QStringLiteral("file://")));
        EXPECT_EQ(services.history().folderStyles().value(folder.path()), *stored);
    }

    QTemporaryDir root;
    AppServices services;
};

} // namespace

TEST_F(SmartIntakeTest, EveryFolderGetsAGlyphWhileTheIndexIsStillBuilding)
{
    const QList<Folder> folders = makeFolders({"Invoices", "Music", "Recipes"});
    AppDelegate delegate(services);
    QElapsedTimer clock;
    clock.start();
    styleAtLaunch(delegate, folders);
    std::cout << "[ INFO     ] three folders styled " << clock.elapsed() << " ms after launch\n";
    for (const Folder& folder : folders)
        expectStyledWithGlyph(folder);
}

TEST_F(SmartIntakeTest, ASlowIndexBuildStillGivesGlyphs)
{
    services.smartIcons().setBuildDelayForTesting(std::chrono::milliseconds(3000));
    const QList<Folder> folders = makeFolders({"Invoices", "Music", "Recipes"});
    test::LogCapture log;
    AppDelegate delegate(services);
    QElapsedTimer clock;
    clock.start();
    styleAtLaunch(delegate, folders);
    EXPECT_GE(clock.elapsed(), 3000);
    for (const Folder& folder : folders)
        expectStyledWithGlyph(folder);
    EXPECT_FALSE(log.contains(QStringLiteral("without a glyph")));
}

TEST_F(SmartIntakeTest, AFolderThatCannotTakeAnIconIsSkippedAndTheOthersGoOn)
{
    const QList<Folder> folders = makeFolders({"Garden"});
    const Folder missing = Folder::unchecked(root.filePath(QStringLiteral("gone")));
    AppDelegate delegate(services);
    const LaunchRequest request = smartRequest({missing, folders.first()});
    delegate.applicationDidFinishLaunching(request);
    QSignalSpy painted(&services.styler(), &FolderStyler::folderFinished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count() == 2; }, 60'000));
    EXPECT_EQ(painted.at(0).at(0).value<FolderStyler::Outcome>().folder, missing);
    EXPECT_FALSE(painted.at(0).at(0).value<FolderStyler::Outcome>().succeeded());
    EXPECT_TRUE(painted.at(1).at(0).value<FolderStyler::Outcome>().succeeded());
    EXPECT_FALSE(services.history().folderStyles().contains(missing.path()));
    expectStyledWithGlyph(folders.first());
}

// The editor's smart workflow of a folder opened before the index is ready waits for it and ends with a glyph.
TEST_F(SmartIntakeTest, AnOpenedFolderProposedBeforeTheIndexIsReadyEndsWithAGlyph)
{
    services.smartIcons().setBuildDelayForTesting(std::chrono::milliseconds(1500));
    const QList<Folder> folders = makeFolders({"Music"});
    AppDelegate delegate(services);
    LaunchRequest request{LaunchRequest::Action::open, {folders.first().path()}};
    delegate.applicationDidFinishLaunching(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.contentView()->folders() == folders; }, 5000));
    const ColorizationModelsGroup::Model model = delegate.contentView()->colorizers().models().first();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->icon().has_value(); }, 30'000));
    EXPECT_TRUE(services.smartIcons().isReady());
    EXPECT_FALSE(services.attributes().readSettings(folders.first().path())); // only proposed, not applied
}
