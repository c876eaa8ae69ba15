#include "ui/settings/AutomationSection.h"

#include "storage/Preferences.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SymbolView.h"
#include "ui/controls/ToggleSwitch.h"
#include "ui/settings/SettingsFixture.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

// Answers the section's next directory panel with `folder`, or cancels it when empty.
void answerNextPanel(AutomationSection& section, const QString& folder)
{
    QObject::connect(
        &section, &AutomationSection::directoryPanelOpened, &section,
        [folder](QFileDialog* panel) {
            QTimer::singleShot(0, panel, [panel, folder] {
                if (folder.isEmpty()) {
                    QMetaObject::invokeMethod(panel, "reject");
                    return;
                }
                panel->selectFile(folder);
                QMetaObject::invokeMethod(panel, "accept");
            });
        },
        Qt::SingleShotConnection);
}

class AutomationSectionTest : public ::testing::Test {
protected:
    test::SettingsManagers managers;

    void grantAccess(bool granted)
    {
        if (granted)
            qunsetenv("FLATPAK_ID");
        else
            qputenv("FLATPAK_ID", "io.velmar.test"); // a sandbox never has folder access
        managers.fullDiskAccess.checkPermission();
        ASSERT_EQ(managers.fullDiskAccess.hasFullDiskAccess(), granted);
    }

    void TearDown() override { qunsetenv("FLATPAK_ID"); }
};

TEST_F(AutomationSectionTest, LaunchAtLoginCreatesAndDeletesTheAutostartEntry)
{
    AutomationSection section(managers.services());
    section.show();
    ASSERT_TRUE(QFileInfo::exists(Autostart::filePath())); // the first run registers
    EXPECT_TRUE(section.launchAtLoginSwitch()->isChecked());
    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(Autostart::filePath()));
    EXPECT_FALSE(section.launchAtLoginSwitch()->isChecked());
    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo::exists(Autostart::filePath()));
    EXPECT_TRUE(section.launchAtLoginSwitch()->isChecked());
    EXPECT_TRUE(section.launchAtLoginFailure()->isHidden());
}

TEST_F(AutomationSectionTest, ARefusedLaunchAtLoginChangeShowsTheStateReadBackAndSaysSo)
{
    AutomationSection section(managers.services());
    section.show();
    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton); // off: the entry goes
    ASSERT_FALSE(QFileInfo::exists(Autostart::filePath()));
    const QString directory = QFileInfo(Autostart::filePath()).absolutePath();
    QDir().mkpath(directory);
    ASSERT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), directory}), 0);
    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton); // on: refused
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), directory});
    EXPECT_FALSE(QFileInfo::exists(Autostart::filePath()));
    EXPECT_FALSE(section.launchAtLoginSwitch()->isChecked());
    EXPECT_FALSE(section.launchAtLoginFailure()->isHidden());
    EXPECT_FALSE(section.launchAtLoginFailure()->text().isEmpty());

    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton); // allowed again
    EXPECT_TRUE(section.launchAtLoginSwitch()->isChecked());
    EXPECT_TRUE(section.launchAtLoginFailure()->isHidden());
}

TEST_F(AutomationSectionTest, WithoutFolderAccessTheWarningShowsAndTheSwitchIsLockedInBothPositions)
{
    grantAccess(false);
    for (const bool enabled : {false, true}) {
        managers.folderWatcher.setEnabled(enabled);
        AutomationSection section(managers.services());
        section.show();
        EXPECT_FALSE(section.accessWarning()->isHidden());
        EXPECT_FALSE(section.autoColorizeSwitch()->isEnabled());
        EXPECT_EQ(section.autoColorizeSwitch()->isChecked(), enabled);
        EXPECT_TRUE(section.watchedFolders()->isHidden());
        QTest::mouseClick(section.autoColorizeSwitch(), Qt::LeftButton);
        EXPECT_EQ(managers.folderWatcher.isEnabled(), enabled);
    }

    // Access granted later replaces the warning without reopening the page.
    AutomationSection section(managers.services());
    section.show();
    grantAccess(true);
    EXPECT_TRUE(section.accessWarning()->isHidden());
    EXPECT_TRUE(section.autoColorizeSwitch()->isEnabled());
    EXPECT_FALSE(section.watchedFolders()->isHidden());
    EXPECT_FALSE(section.caption()->isHidden());
}

TEST_F(AutomationSectionTest, SaysSoWhileTheWatchedFoldersHoldMoreDirectoriesThanAreWatched)
{
    grantAccess(true);
    QTemporaryDir tree;
    for (const char* path : {"a/b/c", "d"})
        ASSERT_TRUE(QDir(tree.path()).mkpath(QString::fromLatin1(path)));
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{tree.path()});
    // The tree lies below the temporary directory, which the program's watcher leaves alone.
    FolderWatcherService watcher({[] { return true; }, nullptr, {}, 3});
    test::SettingsManagers& m = managers;
    AutomationSection section({m.appearance, m.displayMode, m.localization, m.folderLanguages, m.iconStyle,
                               m.fullDiskAccess, watcher, m.launchAtLogin});
    section.show();
    EXPECT_TRUE(section.watchLimitWarning()->isHidden());

    watcher.setEnabled(true); // five directories, three watched
    ASSERT_TRUE(watcher.isRunning());
    EXPECT_FALSE(section.watchLimitWarning()->isHidden());
    EXPECT_FALSE(section.watchLimitWarning()->text().isEmpty());

    watcher.setWatchedDirectories({tree.filePath(QStringLiteral("a"))}); // three directories
    EXPECT_TRUE(section.watchLimitWarning()->isHidden());
    watcher.setWatchedDirectories({tree.path()});
    EXPECT_FALSE(section.watchLimitWarning()->isHidden());
    watcher.setEnabled(false);
    EXPECT_TRUE(section.watchLimitWarning()->isHidden());
}

TEST_F(AutomationSectionTest, TheSwitchDrivesTheWatcherAndShowsTheChipsAndCaption)
{
    grantAccess(true);
    managers.folderWatcher.setEnabled(false);
    AutomationSection section(managers.services());
    section.show();
    EXPECT_TRUE(section.watchedFolders()->isHidden());
    EXPECT_TRUE(section.caption()->isHidden());

    QTest::mouseClick(section.autoColorizeSwitch(), Qt::LeftButton);
    EXPECT_TRUE(managers.folderWatcher.isEnabled());
    EXPECT_TRUE(managers.folderWatcher.isRunning());
    EXPECT_TRUE(Preferences::value(prefs::folderWatcherEnabled));
    EXPECT_FALSE(section.watchedFolders()->isHidden());
    EXPECT_FALSE(section.caption()->isHidden());
    EXPECT_EQ(section.chips().size(), managers.folderWatcher.watchedDirectories().size());

    QTest::mouseClick(section.autoColorizeSwitch(), Qt::LeftButton);
    EXPECT_FALSE(managers.folderWatcher.isEnabled());
    EXPECT_FALSE(managers.folderWatcher.isRunning());
    EXPECT_FALSE(Preferences::value(prefs::folderWatcherEnabled));
}

TEST_F(AutomationSectionTest, ChipsAddAndRemoveWatchedFoldersAndPersist)
{
    grantAccess(true);
    managers.folderWatcher.setWatchedDirectories({});
    managers.folderWatcher.setEnabled(true);
    AutomationSection section(managers.services());
    section.resize(420, 300);
    section.show();
    EXPECT_TRUE(section.chips().isEmpty()); // the add button alone, then the caption
    EXPECT_FALSE(section.addButton()->isHidden());

    QTemporaryDir projects(QDir::homePath() + QStringLiteral("/A rather long folder name for one chip-XXXXXX"));
    answerNextPanel(section, projects.path());
    QTest::mouseClick(section.addButton(), Qt::LeftButton);
    ASSERT_EQ(section.chips().size(), 1);
    answerNextPanel(section, projects.path());
    section.addFolder(); // the same folder again: one chip
    EXPECT_EQ(section.chips().size(), 1);
    answerNextPanel(section, QString());
    section.addFolder(); // cancelled
    EXPECT_EQ(section.chips().size(), 1);
    EXPECT_EQ(Preferences::value(prefs::folderWatcherDirectories), QStringList{projects.path()});
    const QLabel* name = section.chips().first()->findChild<QLabel*>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QFileInfo(projects.path()).fileName());

    QTest::mouseClick(AutomationSection::removeButton(section.chips().first()), Qt::LeftButton);
    EXPECT_TRUE(section.chips().isEmpty());
    EXPECT_TRUE(managers.folderWatcher.watchedDirectories().isEmpty());
    EXPECT_TRUE(Preferences::value(prefs::folderWatcherDirectories).isEmpty());
}

TEST_F(AutomationSectionTest, ChipsThatDoNotFitWrapOntoTheNextLine)
{
    grantAccess(true);
    QStringList folders;
    QList<std::shared_ptr<QTemporaryDir>> keep;
    for (int index = 0; index < 6; ++index) {
        keep.append(std::make_shared<QTemporaryDir>(QDir::homePath() + QStringLiteral("/Watched folder-XXXXXX")));
        folders.append(keep.last()->path());
    }
    managers.folderWatcher.setWatchedDirectories(folders);
    managers.folderWatcher.setEnabled(true);
    AutomationSection section(managers.services());
    section.resize(420, 400);
    section.show();
    QApplication::processEvents();
    ASSERT_EQ(section.chips().size(), 6);
    const int firstRow = section.chips().first()->y();
    EXPECT_GT(section.chips().last()->y(), firstRow);
    for (QWidget* chip : section.chips()) {
        EXPECT_LE(chip->geometry().right(), section.watchedFolders()->width());
        EXPECT_EQ(chip->height(), section.chips().first()->height()); // names stay on one line
    }
}

} // namespace
