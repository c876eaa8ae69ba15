#include "services/FolderWatcherService.h"
#include "base/Folder.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/Preferences.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

class FolderWatcherServiceTest : public ::testing::Test {
protected:
    static QString scratchTemplate()
    {
        QDir().mkpath(PIGMO_TEST_SCRATCH_DIR "/skipped"); // before the member trees are made in it
        return QStringLiteral(PIGMO_TEST_SCRATCH_DIR "/watched-XXXXXX");
    }
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        root = tree.path();
    }

    // Styling answers later, through the event loop, as the folder styler does.
    class Recording : public FolderStyling {
    public:
        explicit Recording(FolderWatcherServiceTest& test)
            : test_(test)
        {
        }
        void styleByName(const QList<Folder>& folders, const QString&, Completion completion,
                         std::chrono::milliseconds) override
        {
            for (const Folder& folder : folders) {
                test_.styled.append(folder.path());
                QTimer::singleShot(0, [this, folder, completion] {
                    test_.recorded.append(folder.path());
                    Outcome outcome;
                    outcome.folder = folder;
                    outcome.operation = Operation::styleByName;
                    completion(outcome);
                });
            }
        }
        void finish() override {}

    private:
        FolderWatcherServiceTest& test_;
    };

    FolderWatcherService::Dependencies dependencies()
    {
        return {[this] { return fullDiskAccess; }, &recording, {skippedRoot}};
    }

    // A running watcher over the temporary tree.
    std::unique_ptr<FolderWatcherService> startedWatcher(std::chrono::milliseconds renameTimeout = 30s)
    {
        Preferences::setValue(prefs::folderWatcherDirectories, QStringList{root});
        auto watcher = std::make_unique<FolderWatcherService>(dependencies());
        watcher->setRenameTimeout(renameTimeout);
        watcher->setEnabled(true);
        EXPECT_TRUE(watcher->isRunning());
        return watcher;
    }

    QStringList styledPaths() const { return styled; }

    QTemporaryDir tree{scratchTemplate()};
    QString root;
    const QString skippedRoot = QStringLiteral(PIGMO_TEST_SCRATCH_DIR "/skipped");
    bool fullDiskAccess = true;
    QStringList styled;
    QStringList recorded;
    Recording recording{*this};
    test::LogCapture log;
};

TEST_F(FolderWatcherServiceTest, UntitledFolderRenamedIsStyledOnceUnderItsNewName)
{
    auto watcher = startedWatcher(1500ms);
    QSignalSpy colorized(watcher.get(), &FolderWatcherService::folderColorized);
    ASSERT_TRUE(QDir(root).mkdir("untitled folder"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->pendingCount() == 1; }, 3000));
    ASSERT_TRUE(QDir(root).rename("untitled folder", "Invoices"));
    ASSERT_TRUE(colorized.wait(10000));

    QTest::qWait(2000); // past the shortened rename time-out: the old entry never fires
    EXPECT_EQ(styledPaths(), QStringList{root + "/Invoices"});
    EXPECT_EQ(recorded, QStringList{root + "/Invoices"});
    EXPECT_EQ(colorized.count(), 1);
    EXPECT_TRUE(log.contains("FolderWatcherService: Detected new folder being named: " + root + "/untitled folder"));
    EXPECT_TRUE(log.contains("FolderWatcherService: Folder renamed to: Invoices"));
    EXPECT_TRUE(log.contains("FolderWatcherService: 🧠 Running smart colorization for Invoices"));
}

TEST_F(FolderWatcherServiceTest, RenamedFolderGetsIconAttributeAndHistoryForReal)
{
    test::CoreServices services;
    services.smartIcons.setBuildDelayForTesting(500ms); // the index is still being built at first
    services.smartIcons.buildIndexIfNeeded();
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{root});
    FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons);
    FolderWatcherService watcher({[] { return true; }, &styler, {skippedRoot}});
    watcher.setEnabled(true);
    QSignalSpy colorized(&watcher, &FolderWatcherService::folderColorized);
    ASSERT_TRUE(QDir(root).mkdir("untitled folder"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.pendingCount() == 1; }, 3000));
    ASSERT_TRUE(QDir(root).rename("untitled folder", "Invoices"));
    ASSERT_TRUE(colorized.wait(15000));
    ASSERT_TRUE(colorized.first().at(1).toBool());

    const QString path = root + "/Invoices";
    const std::optional<ColorizationData> stored = ExtendedAttributesManager{}.readSettings(path);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->icon.has_value()); // the glyph waited for the index
    EXPECT_EQ(services.history.folderStyles().value(path), *stored);
    EXPECT_TRUE(log.contains("FolderWatcherService: ✅ Applied smart icon to " + path));
    EXPECT_FALSE(log.contains("without a glyph"));
}

TEST_F(FolderWatcherServiceTest, FolderCreatedUnderAnyOtherNameIsLeftAlone)
{
    auto watcher = startedWatcher(300ms);
    ASSERT_TRUE(QDir(root).mkdir("Projects"));
    ASSERT_TRUE(QDir(root).mkdir(".untitled folder"));
    QTest::qWait(800);
    EXPECT_EQ(watcher->pendingCount(), 0);
    EXPECT_TRUE(styledPaths().isEmpty());
}

TEST_F(FolderWatcherServiceTest, UntitledFolderLeftAloneIsStyledAfterTheTimeOut)
{
    auto watcher = startedWatcher(400ms);
    QSignalSpy colorized(watcher.get(), &FolderWatcherService::folderColorized);
    ASSERT_TRUE(QDir(root).mkpath("nested/deeper"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->watchedDirectoryCount() == 3; }, 10000)); // root, nested, deeper
    ASSERT_TRUE(QDir(root).mkdir("nested/deeper/Neuer Ordner"));
    ASSERT_TRUE(colorized.wait(10000));
    EXPECT_EQ(styledPaths(), QStringList{root + "/nested/deeper/Neuer Ordner"});
    EXPECT_TRUE(log.contains("FolderWatcherService: Rename timeout, colorizing with default name: " + root +
                             "/nested/deeper/Neuer Ordner"));
    EXPECT_EQ(watcher->pendingCount(), 0);
}

TEST_F(FolderWatcherServiceTest, DeletedUntitledFolderIsNotStyledAtTheTimeOut)
{
    auto watcher = startedWatcher(300ms);
    ASSERT_TRUE(QDir(root).mkdir("untitled folder 3"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->pendingCount() == 1; }, 3000));
    ASSERT_TRUE(QDir(root).rmdir("untitled folder 3"));
    QTest::qWait(700);
    EXPECT_TRUE(styledPaths().isEmpty());
}

TEST_F(FolderWatcherServiceTest, RenameIsPairedWithThePendingFolderItself)
{
    auto watcher = startedWatcher(30s);
    ASSERT_TRUE(QDir(root).mkdir("untitled folder"));
    ASSERT_TRUE(QDir(root).mkdir("untitled folder 2"));
    ASSERT_TRUE(QDir(root).mkdir("Archive"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->pendingCount() == 2; }, 3000));

    ASSERT_TRUE(QDir(root).rename("Archive", "Old Archive")); // another folder of the same parent
    QTest::qWait(300);
    EXPECT_EQ(watcher->pendingCount(), 2);

    QSignalSpy colorized(watcher.get(), &FolderWatcherService::folderColorized);
    ASSERT_TRUE(QDir(root).rename("untitled folder 2", "Music"));
    ASSERT_TRUE(colorized.wait(10000));
    EXPECT_EQ(styledPaths(), QStringList{root + "/Music"});
    EXPECT_EQ(watcher->pendingCount(), 1);
}

TEST_F(FolderWatcherServiceTest, UntitledNamesCompareInLowerCase)
{
    for (const char* name : {"untitled folder 3", "Untitled Folder", "OHNE TITEL", "nouveau dossier", "НОВАЯ ПАПКА",
                             "新建文件夹", "New folder", "sin título"})
        EXPECT_TRUE(FolderWatcherService::isUntitledName(QString::fromUtf8(name))) << name;
    for (const char* name : {"Projects", "my untitled folder", "New Folder (2)", "ohne"})
        EXPECT_FALSE(FolderWatcherService::isUntitledName(QString::fromUtf8(name))) << name;
}

TEST_F(FolderWatcherServiceTest, DirectoriesUnderSkippedPrefixesAreIgnored)
{
    // The tree itself lives wherever the build does (possibly under /tmp), so the skipped prefix is a test one.
    QTemporaryDir underTmp(skippedRoot + QStringLiteral("/pigmo-watch-XXXXXX"));
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{underTmp.path()});
    FolderWatcherService watcher(dependencies());
    watcher.setRenameTimeout(200ms);
    watcher.setEnabled(true);
    ASSERT_TRUE(QDir(underTmp.path()).mkdir("untitled folder"));
    QTest::qWait(600);
    EXPECT_EQ(watcher.pendingCount(), 0);
    EXPECT_TRUE(styledPaths().isEmpty());
}

TEST_F(FolderWatcherServiceTest, WatchingTheRootLeavesTheKernelsFoldersAndStopsAtTheLimit)
{
    FolderWatcherService::Dependencies bounded = dependencies();
    bounded.skippedPrefixes = FolderWatcherService::defaultSkippedPrefixes();
    bounded.watchLimit = 64;
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{QStringLiteral("/")});
    FolderWatcherService watcher(bounded);
    QSignalSpy atLimit(&watcher, &FolderWatcherService::isAtWatchLimitChanged);
    watcher.setEnabled(true);
    ASSERT_TRUE(watcher.isRunning());
    EXPECT_EQ(watcher.watchedDirectoryCount(), 64);
    EXPECT_TRUE(watcher.isAtWatchLimit());
    ASSERT_EQ(atLimit.count(), 1);
    EXPECT_TRUE(log.contains("FolderWatcherService: Reached the limit of 64 watched directories after 64 directories; "
                             "directories beyond them are not watched"));
    const QStringList watched = watcher.watchedPaths();
    EXPECT_TRUE(watched.contains(QStringLiteral("/")));
    EXPECT_TRUE(watched.contains(QStringLiteral("/usr"))); // the nearest directories first
    const QStringList kernels{QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
                              QStringLiteral("/run")};
    for (const QString& path : watched) {
        EXPECT_EQ(QDir::cleanPath(path), path);
        EXPECT_FALSE(isWithinAny(path, kernels)) << path.toStdString();
    }

    watcher.setWatchedDirectories({root}); // a small tree
    EXPECT_TRUE(watcher.isRunning());
    EXPECT_FALSE(watcher.isAtWatchLimit());
    ASSERT_EQ(atLimit.count(), 2);
    EXPECT_FALSE(atLimit.last().first().toBool());
}

// A kernel file system mounted where a watched tree passes (a chroot, a container's root) is not walked.
TEST_F(FolderWatcherServiceTest, PseudoFileSystemsMountedInsideAWatchedTreeAreNotWalked)
{
    const QString chroot = root + QStringLiteral("/chroot");
    for (const char* name : {"proc", "sys", "home/me"})
        ASSERT_TRUE(QDir(chroot).mkpath(QString::fromLatin1(name)));
    struct Mounts {
        QStringList points;
        ~Mounts()
        {
            for (const QString& point : points)
                ::umount2(QFile::encodeName(point).constData(), MNT_DETACH);
        }
    } mounts;
    for (const auto& [type, place] : {std::pair{"proc", "/proc"}, std::pair{"sysfs", "/sys"}}) {
        const QString point = chroot + QLatin1String(place);
        if (::mount(type, QFile::encodeName(point).constData(), type, 0, nullptr) != 0)
            GTEST_SKIP() << "cannot mount " << type << " here: " << std::strerror(errno);
        mounts.points.append(point);
    }
    auto watcher = startedWatcher();
    QStringList watched = watcher->watchedPaths();
    watched.sort();
    const QStringList expected{root, chroot, chroot + "/home", chroot + "/home/me"};
    EXPECT_EQ(watched.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    EXPECT_FALSE(watcher->isAtWatchLimit());
}

TEST_F(FolderWatcherServiceTest, StartNeedsAccessAndDirectoriesAndHappensOnce)
{
    // Switched on at an earlier run: construction, before access was checked, neither starts nor warns.
    fullDiskAccess = false;
    Preferences::setValue(prefs::folderWatcherEnabled, true);
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{root});
    FolderWatcherService watcher(dependencies());
    EXPECT_TRUE(watcher.isEnabled());
    EXPECT_FALSE(watcher.isRunning());
    EXPECT_EQ(log.lines(log::Channel::systemLog).filter("Cannot start").join(u'\n').toStdString(), "");

    watcher.setEnabled(true);
    EXPECT_FALSE(watcher.isRunning());
    EXPECT_TRUE(log.contains("FolderWatcherService: Cannot start — no access to the folders (the home folder "
                             "cannot be listed, or the program runs in a sandbox)"));

    fullDiskAccess = true;
    watcher.start();
    watcher.start();
    EXPECT_EQ(log.count("FolderWatcherService: Started watching 1 directories"), 1);

    watcher.setWatchedDirectories({});
    EXPECT_FALSE(watcher.isRunning());
    EXPECT_TRUE(log.contains("FolderWatcherService: No directories to watch"));
    const int stops = log.count("FolderWatcherService: Stopped");
    watcher.stop();
    EXPECT_EQ(log.count("FolderWatcherService: Stopped"), stops);
}

TEST_F(FolderWatcherServiceTest, StoredEmptyListStaysEmptyAndAbsentListGetsDefaults)
{
    QDir().mkpath(QDir::homePath() + "/Documents");
    {
        FolderWatcherService fresh(dependencies());
        EXPECT_EQ(fresh.watchedDirectories(), (QStringList{QDir::homePath(), QDir::homePath() + "/Documents"}));
        fresh.removeDirectory(QDir::homePath());
        fresh.removeDirectory(QDir::homePath() + "/Documents");
    }
    EXPECT_TRUE(FolderWatcherService(dependencies()).watchedDirectories().isEmpty());
}

TEST_F(FolderWatcherServiceTest, ChangingTheListDropsPendingFolders)
{
    auto watcher = startedWatcher(30s);
    ASSERT_TRUE(QDir(root).mkdir("untitled folder"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->pendingCount() == 1; }, 3000));
    watcher->addDirectory(root); // already present: nothing happens
    EXPECT_EQ(watcher->pendingCount(), 1);
    watcher->removeDirectory(root + "/absent"); // saves and restarts
    EXPECT_EQ(watcher->pendingCount(), 0);
    EXPECT_TRUE(watcher->isRunning());
    ASSERT_TRUE(QDir(root).rename("untitled folder", "Invoices"));
    QTest::qWait(500);
    EXPECT_TRUE(styledPaths().isEmpty());
}

TEST_F(FolderWatcherServiceTest, BurstOfFiveHundredUntitledFoldersRenamedAreEachStyledOnce)
{
    constexpr int count = 500;
    auto watcher = startedWatcher(60s);
    QSignalSpy colorized(watcher.get(), &FolderWatcherService::folderColorized);
    QDir dir(root);
    for (int i = 1; i <= count; ++i)
        ASSERT_TRUE(dir.mkdir(QStringLiteral("untitled folder %1").arg(i)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher->pendingCount() == count; }, 10000)) << watcher->pendingCount();
    for (int i = 1; i <= count; ++i)
        ASSERT_TRUE(dir.rename(QStringLiteral("untitled folder %1").arg(i), QStringLiteral("Folder %1").arg(i)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return colorized.count() == count; }, 20000)) << colorized.count();
    QTest::qWait(300);

    QStringList expected;
    for (int i = 1; i <= count; ++i)
        expected.append(root + QStringLiteral("/Folder %1").arg(i));
    QStringList styledSorted = styledPaths();
    styledSorted.sort();
    expected.sort();
    EXPECT_EQ(styledSorted, expected);
    EXPECT_EQ(recorded.size(), count);
    EXPECT_EQ(watcher->pendingCount(), 0);
}

} // namespace
