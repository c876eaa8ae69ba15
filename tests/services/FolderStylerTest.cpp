#include "services/FolderStyler.h"

#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/FolderIcons.h"
#include "platform/GvfsMetadata.h"
#include "platform/PngEncoder.h"
#include "platform/ReadOnlyFolder.h"
#include "render/ColorizationService.h"
#include "smart/SmartIconService.h"
#include "smart/SmartSiblingAnalysis.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/StylingJournal.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <QThread>
#include <algorithm>
#include <sys/stat.h>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

ColorizationData style(double hue)
{
    return ColorizationData{HSL{hue, 60, 40}, 0.8, std::nullopt, 120.0, IconStyle::vibrant()};
}

// Folders of their own in the test's home (a real file system with user attributes and gvfs metadata).
class FolderStylerTest : public ::testing::Test {
protected:
    Folder folder(const QString& name)
    {
        EXPECT_TRUE(QDir(dir.path()).mkpath(name));
        return *Folder::fromPath(dir.filePath(name));
    }
    static QImage image()
    {
        QImage picture(64, 64, QImage::Format_ARGB32);
        picture.fill(Qt::darkCyan);
        return picture;
    }
    std::optional<ColorizationData> attribute(const Folder& folder) const
    {
        return services.attributes.readSettings(folder.path());
    }
    bool inHistory(const Folder& folder) const { return services.history.folderStyles().contains(folder.path()); }
    std::optional<FolderStyler::Outcome> run(const std::function<void(FolderStyler::Completion)>& request)
    {
        std::optional<FolderStyler::Outcome> outcome;
        request([&outcome](const FolderStyler::Outcome& finished) { outcome = finished; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 30000));
        return outcome;
    }

    QStringList journals() const
    {
        return QDir(services.history.storageDirectory()).entryList({"*.journal"}, QDir::Files | QDir::Hidden);
    }
    int logged(const Folder& folder) const
    {
        QFile file(services.history.storageDirectory() + "/" + ColorizationHistoryStore::logFileName);
        return file.open(QIODevice::ReadOnly)
                   ? int(file.readAll().count(QFile::encodeName(folder.path()).replace("/", "\\/")))
                   : 0;
    }

    QTemporaryDir dir{QDir::homePath() + "/styled-XXXXXX"};
    test::LogCapture log;
    test::CoreServices services;
    FolderStyler styler{services.executors, services.history, services.attributes, services.smartIcons};
};

} // namespace

TEST_F(FolderStylerTest, ApplyWritesIconAttributeThenHistoryBeforeTheCompletionAndTheSignal)
{
    const Folder invoices = folder("Invoices");
    QSignalSpy finished(&styler, &FolderStyler::folderFinished);
    bool recordedBeforeCompletion = false;
    const QThread* completionThread = nullptr;
    const auto outcome = run([&](FolderStyler::Completion done) {
        styler.apply(invoices, style(30), [&, done](const FolderStyler::Outcome& result) {
            recordedBeforeCompletion = inHistory(invoices);
            completionThread = QThread::currentThread();
            EXPECT_EQ(finished.count(), 0) << "the completion runs before the signal";
            done(result);
        });
    });
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->succeeded());
    EXPECT_EQ(outcome->operation, FolderStyler::Operation::apply);
    EXPECT_EQ(outcome->style, style(30));
    EXPECT_TRUE(recordedBeforeCompletion);
    EXPECT_EQ(completionThread, QThread::currentThread());
    EXPECT_EQ(attribute(invoices), style(30));
    EXPECT_TRUE(GvfsMetadata::customIcon(invoices.path()).startsWith("file://"));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().at(0).value<FolderStyler::Outcome>().folder, invoices);
    EXPECT_TRUE(log.contains("setting icon for: " + invoices.path() + " on thread: "));
}

TEST_F(FolderStylerTest, AFolderThatCannotTakeAnIconKeepsNoAttributeAndNoHistory)
{
    const Folder gone = folder("Gone");
    QDir(gone.path()).removeRecursively();
    const auto outcome = run([&](auto done) { styler.apply(gone, style(30), done); });
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->succeeded());
    EXPECT_EQ(outcome->error, "its icon could not be set: No such file or directory");
    EXPECT_FALSE(outcome->style);
    EXPECT_FALSE(inHistory(gone));
    EXPECT_TRUE(log.contains("Failed to set folder icon on " + gone.path()));
}

TEST_F(FolderStylerTest, WritesRunOneAtATimeInSubmissionOrder)
{
    const Folder music = folder("Music");
    QStringList order;
    for (int hue : {10, 20, 30}) {
        styler.apply(music, style(hue),
                     [&order, hue](const FolderStyler::Outcome&) { order.append(QString::number(hue)); });
    }
    styler.remove(music, [&order](const FolderStyler::Outcome&) { order.append("removed"); });
    styler.apply(music, style(40), [&order](const FolderStyler::Outcome&) { order.append("40"); });
    styler.waitForIdle();
    EXPECT_EQ(order, (QStringList{"10", "20", "30", "removed", "40"}));
    EXPECT_EQ(attribute(music), style(40));
    EXPECT_EQ(services.history.folderStyles().value(music.path()), style(40));
}

TEST_F(FolderStylerTest, RemoveUndoesIconAttributeAndHistoryOnlyWhenTheIconWentAway)
{
    const Folder photos = folder("Photos");
    ASSERT_TRUE(run([&](auto done) { styler.apply(photos, style(50), done); })->succeeded());
    const auto removed = run([&](auto done) { styler.remove(photos, done); });
    ASSERT_TRUE(removed);
    EXPECT_TRUE(removed->succeeded());
    EXPECT_EQ(removed->operation, FolderStyler::Operation::remove);
    EXPECT_FALSE(attribute(photos));
    EXPECT_FALSE(inHistory(photos));
    EXPECT_TRUE(GvfsMetadata::customIcon(photos.path()).isEmpty());
    EXPECT_TRUE(log.contains("Folder icon reset successfully for " + photos.path() + "!"));

    const Folder kept = folder("Kept");
    services.history.record(kept.path(), style(60));
    QDir(kept.path()).removeRecursively(); // the removal is refused
    const auto refused = run([&](auto done) { styler.remove(kept, done); });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->error, "its icon could not be removed");
    EXPECT_TRUE(inHistory(kept)) << "the history follows the icon's real result";
}

TEST_F(FolderStylerTest, StyleByNameGivesAGlyphFromTheNameAndRecordsIt)
{
    services.smartIcons.buildIndexIfNeeded();
    ASSERT_TRUE(services.smartIcons.waitUntilReady(30s));
    const Folder recipes = folder("Recipes");
    const auto outcome = run([&](auto done) { styler.styleByName(recipes, "[Smart] ", done); });
    ASSERT_TRUE(outcome);
    ASSERT_TRUE(outcome->succeeded()) << outcome->error.toStdString();
    EXPECT_EQ(outcome->operation, FolderStyler::Operation::styleByName);
    ASSERT_TRUE(outcome->style);
    EXPECT_TRUE(outcome->style->icon);
    EXPECT_EQ(attribute(recipes), outcome->style);
    EXPECT_EQ(services.history.folderStyles().value(recipes.path()), *outcome->style);
    EXPECT_TRUE(log.contains("[Smart] ✅ Applied smart icon to " + recipes.path()));
}

// The stored image gvfs points the folder at.
QImage storedIcon(const Folder& folder)
{
    return QImage(QUrl(GvfsMetadata::customIcon(folder.path())).toLocalFile()).convertToFormat(QImage::Format_ARGB32);
}

TEST_F(FolderStylerTest, ABatchDrawnAheadIsWrittenInOrderEachFolderWithItsOwnImage)
{
    services.smartIcons.buildIndexIfNeeded();
    ASSERT_TRUE(services.smartIcons.waitUntilReady(30s));
    QList<Folder> folders;
    for (const char* name : {"Music", "Photos", "Recipes", "Videos", "Books", "Games", "Mail", "Maps", "Movies"})
        folders.append(folder(name));
    QList<FolderStyler::Outcome> outcomes;
    styler.styleByName(folders, "[Smart] ", [&outcomes](const FolderStyler::Outcome& o) { outcomes.append(o); });
    styler.waitForIdle();

    ASSERT_EQ(outcomes.size(), folders.size());
    QStringList written;
    for (const QString& line : log.lines()) {
        if (line.contains("✅ Applied smart icon to "))
            written.append(line.section("✅ Applied smart icon to ", 1));
    }
    QStringList expected;
    QList<QImage> images;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        expected.append(folders[i].path());
        EXPECT_EQ(outcomes[i].folder, folders[i]) << "outcomes in the batch's order";
        ASSERT_TRUE(outcomes[i].succeeded()) << outcomes[i].error.toStdString();
        ASSERT_TRUE(outcomes[i].style && outcomes[i].style->icon);
        EXPECT_EQ(attribute(folders[i]), outcomes[i].style);
        const QImage stored = storedIcon(folders[i]);
        const QByteArray own = encodePng(*ColorizationService::generateIcon(*outcomes[i].style));
        EXPECT_EQ(stored, QImage::fromData(own).convertToFormat(QImage::Format_ARGB32))
            << "the folder shows the image of its own style: " << folders[i].path().toStdString();
        for (const QImage& other : images)
            EXPECT_NE(stored, other) << "each folder has an image of its own";
        images.append(stored);
    }
    EXPECT_EQ(written, expected) << "written one after the other in the batch's order";
    EXPECT_TRUE(journals().isEmpty()) << "the journal goes once the history holds the batch";
}

TEST_F(FolderStylerTest, AFolderOfABatchThatFailsLeavesTheOthersStyledAndCountsForNone)
{
    services.smartIcons.buildIndexIfNeeded();
    ASSERT_TRUE(services.smartIcons.waitUntilReady(30s));
    QList<Folder> folders;
    for (const char* name : {"Music", "Photos", "Recipes", "Videos", "Books", "Games"})
        folders.append(folder(name));
    const Folder missing = Folder::unchecked(dir.filePath("Missing")); // its icon cannot be set
    folders.insert(2, missing);
    SmartSiblingAnalysis::Batch siblings(services.attributes);
    QList<FolderStyler::Outcome> outcomes;
    styler.styleByName(
        folders, "", [&outcomes](const FolderStyler::Outcome& o) { outcomes.append(o); }, 10s, &siblings);
    styler.waitForIdle();

    ASSERT_EQ(outcomes.size(), folders.size());
    QList<ColorizationData> applied;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(outcomes[i].folder, folders[i]);
        EXPECT_EQ(outcomes[i].succeeded(), i != 2) << outcomes[i].error.toStdString();
        if (outcomes[i].succeeded())
            applied.append(*outcomes[i].style);
    }
    EXPECT_EQ(outcomes[2].error, "its icon could not be set: No such file or directory");
    EXPECT_FALSE(attribute(missing));
    // The scans count every applied style and nothing of the folder that failed.
    log.clear();
    const QList<ColorizationData> counted = siblings.siblingColorizations(dir.filePath("Other"));
    EXPECT_TRUE(std::is_permutation(counted.begin(), counted.end(), applied.begin(), applied.end()));
    EXPECT_TRUE(log.contains("Found 6 sibling folders"));
}

TEST_F(FolderStylerTest, StylingWithoutAReadyIndexWaitsBoundedAndSaysSo)
{
    services.smartIcons.setBuildDelayForTesting(3000ms);
    services.smartIcons.rebuildIndex();
    const Folder recipes = folder("Recipes");
    const auto outcome = run([&](auto done) { styler.styleByName(recipes, "Watcher: ", done, 300ms); });
    ASSERT_TRUE(outcome);
    ASSERT_TRUE(outcome->succeeded());
    EXPECT_FALSE(outcome->style->icon);
    EXPECT_EQ(log.count("Watcher: Keyword index not ready after 300 ms; styling Recipes without a glyph"), 1);
}

TEST_F(FolderStylerTest, FinishLetsTheRunningWriteEndAndRefusesTheRest)
{
    // The first request waits for a keyword index that is still being built, so the others are queued
    // behind it when the program ends.
    services.smartIcons.setBuildDelayForTesting(3000ms);
    services.smartIcons.rebuildIndex();
    QList<Folder> folders;
    for (const char* name : {"One", "Two", "Three", "Four"})
        folders.append(folder(name));
    QList<FolderStyler::Outcome> outcomes;
    const auto collect = [&outcomes](const FolderStyler::Outcome& o) { outcomes.append(o); };
    styler.styleByName(folders.first(), "", collect, 500ms);
    for (const Folder& each : folders.mid(1))
        styler.apply(each, style(70), collect);
    styler.finish();
    ASSERT_EQ(outcomes.size(), 4) << "every request is answered before finish returns";
    // The first request, if it had started, ends and is recorded; every queued one is refused untouched.
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        EXPECT_EQ(outcomes[i].folder, folders[i]);
        EXPECT_EQ(inHistory(folders[i]), outcomes[i].succeeded());
        if (i > 0 || !outcomes[i].succeeded()) {
            EXPECT_EQ(outcomes[i].error, "the program is ending");
            EXPECT_FALSE(attribute(folders[i]));
        }
    }

    bool refusedAtOnce = false;
    styler.apply(folders.first(), style(80),
                 [&refusedAtOnce](const FolderStyler::Outcome& o) { refusedAtOnce = !o.succeeded(); });
    EXPECT_TRUE(refusedAtOnce);
}

TEST_F(FolderStylerTest, AFolderThatRefusesAnyPlaceIsLeftAsItWasAndNotRecorded)
{
    const Folder kept = folder("Kept");
    ASSERT_TRUE(run([&](auto done) { styler.apply(kept, style(30), done); })->succeeded());
    const QString keptIcon = GvfsMetadata::customIcon(kept.path());
    {
        const test::ReadOnlyFolder readOnly(kept.path());
        if (!readOnly.isEffective())
            GTEST_SKIP() << "cannot make a folder read-only here";
        const auto refused = run([&](auto done) { styler.apply(kept, style(60), done); });
        ASSERT_TRUE(refused);
        EXPECT_TRUE(
            refused->error.startsWith("its icon could not be set: cannot write " + kept.path() + "/.directory: "))
            << refused->error.toStdString();
    }
    EXPECT_EQ(GvfsMetadata::customIcon(kept.path()), keptIcon) << "the gvfs key that took is put back";
    EXPECT_EQ(attribute(kept), style(30));
    EXPECT_EQ(services.history.folderStyles().value(kept.path()), style(30));
    EXPECT_EQ(logged(kept), 1);

    // A .directory that is no regular file: a link, a folder, a named pipe.
    const QString target = dir.filePath("elsewhere");
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> refusals{
        {"Link", [&](const QString& entry) { return QFile::link(target, entry); }},
        {"Folder", [](const QString& entry) { return QDir().mkdir(entry); }},
        {"Pipe", [](const QString& entry) { return ::mkfifo(QFile::encodeName(entry).constData(), 0644) == 0; }},
    };
    for (const auto& [name, refuse] : refusals) {
        const Folder refusing = folder(name);
        const QString entry = DirectoryFile::filePath(refusing.path());
        ASSERT_TRUE(refuse(entry));
        const auto refused = run([&](auto done) { styler.apply(refusing, style(90), done); });
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->error, "its icon could not be set: " + entry + " is not a regular file");
        EXPECT_TRUE(GvfsMetadata::customIcon(refusing.path()).isEmpty()) << name;
        EXPECT_FALSE(attribute(refusing)) << name;
        EXPECT_FALSE(inHistory(refusing)) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(journals().isEmpty());
}

TEST_F(FolderStylerTest, AStyleWithAPictureTooLargeForTheAttributeLivesInTheHistory)
{
    const Folder photos = folder("Photos");
    ASSERT_TRUE(services.attributes.writeSettings(style(5), photos.path()));
    ColorizationData custom = style(20);
    custom.icon = Icon{{}, {}, {}, Icon::customName, QByteArray(20 * 1024, '\x7f')}; // beyond ext4's room
    const auto outcome = run([&](auto done) { styler.apply(photos, custom, done); });
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->succeeded()) << outcome->error.toStdString();
    EXPECT_TRUE(GvfsMetadata::customIcon(photos.path()).startsWith("file://"));
    EXPECT_FALSE(DirectoryFile::icon(photos.path()).isEmpty());
    EXPECT_FALSE(attribute(photos)) << "the folder names no style it no longer shows";
    ASSERT_TRUE(QTest::qWaitFor([&] { return inHistory(photos); }));
    EXPECT_EQ(services.history.folderStyles().value(photos.path()), custom);
}

// A journal as a process killed in the middle of a batch leaves it: the folders it styled without their
// records written, the folder it was writing, and one it had taken back.
TEST_F(FolderStylerTest, AJournalLeftByAKilledProcessIsSettledByTheNextStyler)
{
    const QString data = services.history.storageDirectory();
    const Folder styled = folder("Styled");            // ended styled, record not written
    const Folder attributeWritten = folder("Written"); // no end, but its attribute and icon are in place
    const Folder halfWritten = folder("Half");         // no end, icon entries changed, no attribute
    const Folder undone = folder("Undone");            // ended undone
    const Folder recordedAlready = folder("Recorded"); // ended styled, record written
    const auto stored = [](const Folder& folder, QColor color) {
        QImage picture = image();
        picture.fill(color);
        return *FolderIconStore::store(folder.path(), encodePng(picture));
    };
    const QDateTime when = historyTimestampNow().addSecs(-60);
    const auto intent = [&when](const Folder& folder, const ColorizationData& data, const QString& icon,
                                FolderIconEntries previous = {}) {
        return StylingJournal::Intent{0,           {folder.path(), data, when}, icon, previous.gvfs, previous.directory,
                                      std::nullopt};
    };
    ASSERT_TRUE(FolderIcons::setIcon(image(), halfWritten.path()));
    const FolderIconEntries halfBefore = FolderIcons::entries(halfWritten.path());
    {
        StylingJournal killed(data);
        for (const Folder& done : {styled, attributeWritten, recordedAlready})
            ASSERT_TRUE(FolderIcons::setIcon(image(), done.path()));
        const auto styledId = killed.begin(intent(styled, style(10), DirectoryFile::icon(styled.path())));
        ASSERT_TRUE(services.attributes.writeSettings(style(10), styled.path()));
        killed.end(*styledId, StylingJournal::Outcome::styled);
        const auto recordedId =
            killed.begin(intent(recordedAlready, style(50), DirectoryFile::icon(recordedAlready.path())));
        ASSERT_TRUE(services.attributes.writeSettings(style(50), recordedAlready.path()));
        killed.end(*recordedId, StylingJournal::Outcome::styled);
        services.history.record(HistoryLogEntry{recordedAlready.path(), style(50), when});
        const auto undoneId = killed.begin(intent(undone, style(40), stored(undone, Qt::gray)));
        killed.end(*undoneId, StylingJournal::Outcome::undone);
        ASSERT_TRUE(killed.begin(intent(attributeWritten, style(20), DirectoryFile::icon(attributeWritten.path()))));
        ASSERT_TRUE(services.attributes.writeSettings(style(20), attributeWritten.path()));
        const QString halfIcon = stored(halfWritten, Qt::yellow);
        ASSERT_TRUE(killed.begin(intent(halfWritten, style(30), halfIcon, halfBefore)));
        ASSERT_TRUE(DirectoryFile::setIcon(halfWritten.path(), halfIcon));
        ASSERT_TRUE(GvfsMetadata::setCustomIcon(halfWritten.path(), QUrl::fromLocalFile(halfIcon).toString()));
        ASSERT_EQ(journals().size(), 1);
    } // the process is gone: its lock with it, its file stays

    FolderStyler next(services.executors, services.history, services.attributes, services.smartIcons);
    next.waitForIdle();
    EXPECT_TRUE(journals().isEmpty());
    const QMap<QString, ColorizationData>& styles = services.history.folderStyles();
    EXPECT_EQ(styles.value(styled.path()), style(10));
    EXPECT_EQ(styles.value(attributeWritten.path()), style(20));
    EXPECT_FALSE(styles.contains(halfWritten.path()));
    EXPECT_FALSE(styles.contains(undone.path()));
    for (const Folder& once : {styled, attributeWritten, recordedAlready})
        EXPECT_EQ(logged(once), 1) << once.path().toStdString();
    EXPECT_EQ(FolderIcons::entries(halfWritten.path()), halfBefore) << "put back as it was";
    EXPECT_FALSE(attribute(halfWritten));
    EXPECT_EQ(QDir(FolderIconStore::directory())
                  .entryList({FolderIconStore::fileName(halfWritten.path(), {}).left(17) + "*"}),
              QStringList{QFileInfo(halfBefore.directory).fileName()})
        << "its new file is gone";
    EXPECT_TRUE(log.contains("Settled what an interrupted styling left: 2 styled folders recorded in the history, 1 "
                             "put back as they were."));
}
