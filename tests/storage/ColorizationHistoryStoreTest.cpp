#include "storage/ColorizationHistoryStore.h"

#include "storage/ExtendedAttributesManager.h"
#include "support/FileSystem.h"
#include "support/FullDisk.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <limits>
#include <sys/wait.h>
#include <unistd.h>

using namespace pigmo;

namespace {

ColorizationData styleWithHue(double hue)
{
    return ColorizationData{HSL{hue, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()};
}

class ColorizationHistoryStoreTest : public ::testing::Test {
protected:
    static QString directory()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/io.velmar.pigmo2";
    }
    static QString file(const QString& name) { return directory() + "/" + name; }
    static QByteArray contents(const QString& name)
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(directory());
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QList<HistoryLogEntry> logOnDisk()
    {
        auto entries = json::decodeLog(contents(ColorizationHistoryStore::logFileName));
        EXPECT_TRUE(entries) << entries.error().toStdString();
        return entries ? *entries : QList<HistoryLogEntry>{};
    }
    struct LongHistory;
    // Both files of a history of `count` folders, as another run of the program would have left them.
    static LongHistory putLongHistory(int count);
    static QStringList corruptCopies(const QString& name)
    {
        return QDir(directory()).entryList({name + ".corrupt-*"}, QDir::Files);
    }

    test::LogCapture log;
};

} // namespace

TEST_F(ColorizationHistoryStoreTest, RecordingBeforeLoadingTouchesOnlyTheFiles)
{
    ColorizationHistoryStore store;
    EXPECT_TRUE(store.folderStylesLoaded());
    EXPECT_EQ(store.storageDirectory(), directory());
    store.record("/a/x", styleWithHue(10));
    store.record("/a/x", styleWithHue(20));

    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    const QList<HistoryLogEntry> entries = logOnDisk();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].data, styleWithHue(10));
    EXPECT_EQ(entries[1].data, styleWithHue(20));
    EXPECT_TRUE(QRegularExpression(R"("timestamp":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ")")
                    .match(QString::fromUtf8(contents(ColorizationHistoryStore::logFileName)))
                    .hasMatch());
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), (QMap<QString, ColorizationData>{{"/a/x", styleWithHue(20)}}));
    EXPECT_TRUE(log.lines().isEmpty() || log.lines() == QStringList{"Loaded 1 folder styles"})
        << log.lines().join("|").toStdString();
}

TEST_F(ColorizationHistoryStoreTest, RecordingAfterLoadingKeepsMemoryAndFileInStep)
{
    ColorizationHistoryStore store;
    store.record("/a/x", styleWithHue(10));
    store.loadChronologicalLog();
    EXPECT_EQ(log.lines().last(), "Loaded 1 chronological history entries");

    QSignalSpy logChanged(&store, &ColorizationHistoryStore::chronologicalLogChanged);
    QSignalSpy stylesChanged(&store, &ColorizationHistoryStore::folderStylesChanged);
    store.record("/a/y", styleWithHue(30));
    EXPECT_EQ(logChanged.count(), 1);
    EXPECT_EQ(stylesChanged.count(), 1);
    ASSERT_EQ(store.chronologicalLog().size(), 2);
    EXPECT_EQ(logOnDisk(), store.chronologicalLog());
    EXPECT_EQ(store.folderStyles().size(), 2);
}

TEST_F(ColorizationHistoryStoreTest, LoadingMissingOrEmptyFiles)
{
    ColorizationHistoryStore store;
    store.loadChronologicalLog();
    EXPECT_TRUE(store.chronologicalLogLoaded());
    EXPECT_TRUE(log.lines().isEmpty());

    put(ColorizationHistoryStore::logFileName, "[]");
    put(ColorizationHistoryStore::stylesFileName, "{}");
    ColorizationHistoryStore second;
    second.loadChronologicalLog();
    EXPECT_EQ(log.lines(), (QStringList{"Loaded 0 folder styles", "Loaded 0 chronological history entries"}));
}

TEST_F(ColorizationHistoryStoreTest, SavingBetweenMembersReadSideBySideKeepsEveryOtherMemberAsItWas)
{
    QByteArray file = "{";
    for (const char* folder : {"/a", "/b", "/c", "/d", "/e"})
        file += json::quoted(QString::fromLatin1(folder)) + ':' + *json::encode(styleWithHue(folder[1])) + ',';
    file.back() = '}';
    put(ColorizationHistoryStore::stylesFileName, file);
    ColorizationHistoryStore store(ColorizationHistoryStore::StylesLoad::inBackground);
    store.beginBatch();
    store.record("/bb", styleWithHue(7)); // between two members that lay side by side
    store.record("/d", styleWithHue(8));  // in place of one
    store.record("/f", styleWithHue(9));  // after the last
    store.endBatch();

    QByteArray expected = "{";
    const QList<std::pair<const char*, double>> members = {{"/a", 'a'}, {"/b", 'b'}, {"/bb", 7}, {"/c", 'c'},
                                                           {"/d", 8},   {"/e", 'e'}, {"/f", 9}};
    for (const auto& [folder, hue] : members)
        expected += json::quoted(QString::fromLatin1(folder)) + ':' + *json::encode(styleWithHue(hue)) + ',';
    expected.back() = '}';
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), expected);
}

TEST_F(ColorizationHistoryStoreTest, UnreadableLogIsMovedAsideOnLoadingAndANewOneStarted)
{
    const QByteArray fractional =
        R"([{"folderPath":"\/old","data":{"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
        R"("iconStyle":{"type":"vibrant"}},"timestamp":"2025-03-01T09:30:00.250Z"}])";
    put(ColorizationHistoryStore::logFileName, fractional);
    ColorizationHistoryStore store;
    store.loadChronologicalLog();
    EXPECT_TRUE(store.chronologicalLogLoaded());
    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].startsWith("Error loading chronological log: "));
    const QStringList copies = corruptCopies(ColorizationHistoryStore::logFileName);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^history_log\.json\.corrupt-\d{8}T\d{6}Z$)").match(copies[0]).hasMatch());
    EXPECT_EQ(log.lines()[1], "Moved unreadable history_log.json aside to " + file(copies[0]));
    EXPECT_EQ(contents(copies[0]), fractional);

    store.record("/new", styleWithHue(5));
    EXPECT_EQ(logOnDisk(), store.chronologicalLog());
    EXPECT_EQ(store.chronologicalLog().size(), 1);
}

TEST_F(ColorizationHistoryStoreTest, UnreadableLogBeforeLoadingIsPreservedAndTheEntryKept)
{
    put(ColorizationHistoryStore::logFileName, "not json");
    ColorizationHistoryStore store;
    store.record("/a/x", styleWithHue(10));
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].startsWith("Error appending to chronological log: "));
    EXPECT_TRUE(log.lines()[1].startsWith("Moved unreadable history_log.json aside to "));
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), "not json");
    EXPECT_EQ(logOnDisk().size(), 1);
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().value("/a/x"), styleWithHue(10));
}

TEST_F(ColorizationHistoryStoreTest, UnreadableStylesAreMovedAsideAndTheStoreStartsEmpty)
{
    put(ColorizationHistoryStore::stylesFileName, R"({"/a":{"color":{"hue":1}}})");
    ColorizationHistoryStore store;
    EXPECT_TRUE(store.folderStyles().isEmpty());
    EXPECT_TRUE(store.folderStylesLoaded());
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].startsWith("Error loading folder styles: "));
    EXPECT_TRUE(log.lines()[1].startsWith("Moved unreadable folder_styles.json aside to "));
    store.record("/b", styleWithHue(1));
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)),
              R"({"/a":{"color":{"hue":1}}})");
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), QStringList{"/b"});
}

TEST_F(ColorizationHistoryStoreTest, FilesNestedTooDeepAreMovedAsideByteForByte)
{
    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    const QByteArray deepStyles =
        "{\"/a\":" + QByteArray(100000, '{').replace("{", "{\"x\":") + "1" + QByteArray(100000, '}') + "}";
    put(ColorizationHistoryStore::stylesFileName, deepStyles);
    put(ColorizationHistoryStore::logFileName, deep);
    ColorizationHistoryStore store;
    EXPECT_TRUE(store.folderStyles().isEmpty());
    store.loadChronologicalLog();
    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    ASSERT_EQ(log.lines().size(), 4);
    EXPECT_TRUE(log.lines()[0].startsWith("Error loading folder styles: "));
    EXPECT_TRUE(log.lines()[2].startsWith("Error loading chronological log: "));
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)), deepStyles);
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), deep);
}

TEST_F(ColorizationHistoryStoreTest, DeepLogBeforeLoadingIsMovedAsideOnAppending)
{
    const QByteArray deep = QByteArray(100000, '[');
    put(ColorizationHistoryStore::logFileName, deep);
    ColorizationHistoryStore store;
    store.record("/a", styleWithHue(1));
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), deep);
    EXPECT_EQ(logOnDisk().size(), 1);
}

TEST_F(ColorizationHistoryStoreTest, AnEntryBeyondYear9999InUtcMakesTheLogUnreadableAsItIs)
{
    const QByteArray beyond =
        R"([{"folderPath":"\/old","data":{"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
        R"("iconStyle":{"type":"vibrant"}},"timestamp":"9999-12-31T23:30:00-01:00"}])";
    put(ColorizationHistoryStore::logFileName, beyond);
    ColorizationHistoryStore store;
    store.loadChronologicalLog();
    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), beyond);
    store.record("/new", styleWithHue(2));
    store.record("/newer", styleWithHue(3));
    EXPECT_EQ(logOnDisk().size(), 2) << "the appends after it keep the new log";
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1);
}

TEST_F(ColorizationHistoryStoreTest, NonFiniteStyleIsRefusedWhole)
{
    ColorizationHistoryStore store;
    store.loadChronologicalLog();
    store.record("/a", styleWithHue(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(log.lines(), QStringList{"Error recording history for /a: the style holds a non-finite number."});
    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    EXPECT_TRUE(store.folderStyles().isEmpty());
    EXPECT_TRUE(QDir(directory()).entryList(QDir::Files).isEmpty());
    store.record("/b", styleWithHue(1));
    EXPECT_EQ(logOnDisk().size(), 1) << "a refused style never blocks the next save";
}

TEST_F(ColorizationHistoryStoreTest, StyleTooLargeForTheAttributeLivesInTheHistory)
{
    QTemporaryDir folders;
    const QString folder = folders.filePath("Holiday pictures");
    ASSERT_TRUE(QDir().mkpath(folder));
    if (!test::userAttributesSupported(folder))
        GTEST_SKIP() << "the file system of " << folder.toStdString() << " refuses user attributes";
    ColorizationData custom = styleWithHue(40);
    custom.icon = Icon{{}, {}, {}, Icon::customName, QByteArray(20 * 1024, '\x42')};

    ExtendedAttributesManager{}.writeSettings(custom, folder);
    ColorizationHistoryStore().record(folder, custom);
    EXPECT_TRUE(log.lines().first().startsWith("Error writing extended attribute 'io.velmar.PaintDirs.settings' for "));

    EXPECT_EQ(ExtendedAttributesManager{}.readSettings(folder), std::nullopt);
    ColorizationHistoryStore reloaded;
    EXPECT_EQ(reloaded.folderStyles().value(folder), custom);
    reloaded.loadChronologicalLog();
    EXPECT_EQ(reloaded.chronologicalLog().value(0).data, custom);
}

TEST_F(ColorizationHistoryStoreTest, AppendWaitsForAnotherProcessWriting)
{
    ColorizationHistoryStore store;
    store.record("/first", styleWithHue(1));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // another instance: appends slowly while holding the lock
        QLockFile lock(directory() + "/.history.lock");
        lock.lock();
        ::write(ready[1], "1", 1);
        auto entries = *json::decodeLog(contents(ColorizationHistoryStore::logFileName));
        ::usleep(300 * 1000);
        entries.append(HistoryLogEntry{"/other", styleWithHue(2), historyTimestampNow()});
        QFile f(file(ColorizationHistoryStore::logFileName));
        const bool written = f.open(QIODevice::WriteOnly) && f.write(*json::encodeLog(entries)) > 0;
        f.close();
        lock.unlock();
        ::_exit(written ? 0 : 1);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    store.record("/mine", styleWithHue(3));
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QStringList paths;
    for (const HistoryLogEntry& entry : logOnDisk())
        paths.append(entry.folderPath);
    EXPECT_EQ(paths, (QStringList{"/first", "/other", "/mine"}));
}

TEST_F(ColorizationHistoryStoreTest, GroupsByParentIgnoringCase)
{
    ColorizationHistoryStore store;
    EXPECT_TRUE(store.groupedFolderStyles().isEmpty());
    for (const char* path : {"/a/b/Y", "/a/c", "/a/b/x", "/a/b/X/"})
        store.record(QString::fromUtf8(path), styleWithHue(1));
    QStringList shape;
    for (const auto& group : store.groupedFolderStyles()) {
        QStringList names;
        for (const auto& folder : group.folders)
            names.append(folder.name + "=" + folder.path);
        shape.append(group.parentPath + ": " + names.join(", "));
    }
    EXPECT_EQ(shape, (QStringList{"/a: c=/a/c", "/a/b: X=/a/b/X/, x=/a/b/x, Y=/a/b/Y"}));
}

TEST_F(ColorizationHistoryStoreTest, RemovingAStyleIsSavedByTheCaller)
{
    ColorizationHistoryStore store;
    store.record("/a", styleWithHue(1));
    QSignalSpy stylesChanged(&store, &ColorizationHistoryStore::folderStylesChanged);
    store.removeFolderStyle("/a");
    store.removeFolderStyle("/never");
    EXPECT_EQ(stylesChanged.count(), 1);
    store.saveFolderStyles();
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), "{}");
}

TEST_F(ColorizationHistoryStoreTest, TheLogLoadsOffTheCallingThreadAndIsPublishedOnce)
{
    QDir(directory()).removeRecursively();
    {
        ColorizationHistoryStore writer;
        writer.record("/a", styleWithHue(10));
        writer.record("/b", styleWithHue(20));
    }
    log.clear();
    ColorizationHistoryStore store;
    QSignalSpy published(&store, &ColorizationHistoryStore::chronologicalLogChanged);
    store.loadChronologicalLogInBackground();
    EXPECT_FALSE(store.chronologicalLogLoaded()); // nothing was read on this thread
    EXPECT_TRUE(store.isLoadingChronologicalLog());
    store.loadChronologicalLogInBackground(); // a second request joins the first
    ASSERT_TRUE(published.wait(5000));
    EXPECT_TRUE(store.chronologicalLogLoaded());
    EXPECT_FALSE(store.isLoadingChronologicalLog());
    EXPECT_EQ(store.chronologicalLog(), logOnDisk());
    EXPECT_EQ(store.chronologicalLog().size(), 2);
    EXPECT_EQ(log.count("Loaded 2 chronological history entries"), 1);
    store.loadChronologicalLogInBackground(); // loaded: nothing more
    EXPECT_FALSE(store.isLoadingChronologicalLog());
    EXPECT_EQ(published.count(), 1);
}

TEST_F(ColorizationHistoryStoreTest, AnEntryRecordedWhileTheLogLoadsInTheBackgroundIsKept)
{
    QDir(directory()).removeRecursively();
    {
        ColorizationHistoryStore writer;
        writer.record("/a", styleWithHue(10));
    }
    ColorizationHistoryStore store;
    store.loadChronologicalLogInBackground();
    store.record("/b", styleWithHue(20)); // while the file may be being read
    QSignalSpy published(&store, &ColorizationHistoryStore::chronologicalLogChanged);
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.chronologicalLogLoaded(); }, 5000));
    EXPECT_EQ(store.chronologicalLog().size(), 2);
    EXPECT_EQ(store.chronologicalLog(), logOnDisk());
    store.record("/c", styleWithHue(30));
    EXPECT_EQ(store.chronologicalLog().size(), 3);
    EXPECT_EQ(store.chronologicalLog(), logOnDisk());
}

TEST_F(ColorizationHistoryStoreTest, AnUnreadableLogLoadedInTheBackgroundIsMovedAside)
{
    QDir(directory()).removeRecursively();
    put(ColorizationHistoryStore::logFileName, "[{ not json");
    ColorizationHistoryStore store;
    store.loadChronologicalLogInBackground();
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.chronologicalLogLoaded(); }, 5000));
    EXPECT_TRUE(store.chronologicalLog().isEmpty());
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1);
    EXPECT_TRUE(log.contains("Error loading chronological log: "));
}

namespace {

QStringList pathsOf(const QList<HistoryLogEntry>& entries)
{
    QStringList paths;
    for (const HistoryLogEntry& entry : entries)
        paths.append(entry.folderPath);
    return paths;
}

// Runs the event loop (the batch's write timer) for a while.
void runEvents(std::chrono::milliseconds duration)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < duration.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST_F(ColorizationHistoryStoreTest, BatchWritesBothFilesOnceWhenItEnds)
{
    ColorizationHistoryStore earlier;
    earlier.record("/a/first", styleWithHue(1));
    const QByteArray styledBefore = contents(ColorizationHistoryStore::stylesFileName);

    ColorizationHistoryStore store;
    store.beginBatch();
    store.beginBatch(); // batches nest
    store.record("/a/z", styleWithHue(10));
    store.record("/a/b", styleWithHue(20));
    store.endBatch();
    store.record("/a/z", styleWithHue(30));
    EXPECT_EQ(pathsOf(logOnDisk()), QStringList{"/a/first"}) << "nothing written while a batch runs";
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), styledBefore);
    EXPECT_EQ(store.folderStyles().value("/a/z"), styleWithHue(30));

    store.endBatch();
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/a/first", "/a/z", "/a/b", "/a/z"}));
    // The styles file: members in path order, each in the style's own compact form.
    QByteArrayList expected;
    for (const auto& [path, hue] : {std::pair{"/a/b", 20}, {"/a/first", 1}, {"/a/z", 30}})
        expected.append(json::quoted(QString::fromLatin1(path)) + ':' + *json::encode(styleWithHue(hue)));
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), '{' + expected.join(',') + '}');
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_FALSE(log.contains("Error")) << log.lines().join('\n').toStdString();
}

TEST_F(ColorizationHistoryStoreTest, BatchEndedInTheBackgroundKeepsTheOrderOfEveryLaterWrite)
{
    ColorizationHistoryStore store;
    {
        const ColorizationHistoryStore::ScopedBatch batch(store);
        store.record("/bg/1", styleWithHue(1));
        store.record("/bg/2", styleWithHue(2));
    }                                        // written by the writer thread
    store.record("/after", styleWithHue(3)); // waits for that write, then appends
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/bg/1", "/bg/2", "/after"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());

    store.loadChronologicalLog();
    store.beginBatch();
    store.record("/bg/3", styleWithHue(4));
    store.endBatch(ColorizationHistoryStore::Write::inBackground);
    store.waitForWrites();
    EXPECT_EQ(logOnDisk(), store.chronologicalLog()) << "a loaded log is written whole";
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().value("/bg/3"), styleWithHue(4));
    EXPECT_FALSE(log.contains("Error")) << log.lines().join('\n').toStdString();
}

TEST_F(ColorizationHistoryStoreTest, ABackgroundWriteThatFailsIsLoggedAndLaterWritesStillHappen)
{
    ColorizationHistoryStore store;
    QSignalSpy written(&store, &ColorizationHistoryStore::recordsWritten);
    store.record("/first", styleWithHue(1));
    EXPECT_EQ(store.writtenRecordCount(), 1u);
    EXPECT_EQ(written.count(), 1);
    {
        const test::WriteProtection refused(store.storageDirectory());
        ASSERT_TRUE(refused.active());
        {
            const ColorizationHistoryStore::ScopedBatch batch(store);
            store.record("/refused", styleWithHue(2));
        }
        store.waitForWrites();
    }
    EXPECT_TRUE(log.contains("Error saving folder styles: ")) << log.lines().join('\n').toStdString();
    EXPECT_FALSE(store.written());
    EXPECT_EQ(store.recordCount(), 2u);
    EXPECT_EQ(store.writtenRecordCount(), 1u) << "a failed write holds the count back";
    QCoreApplication::sendPostedEvents(&store);
    EXPECT_EQ(written.count(), 1);
    store.record("/later", styleWithHue(3));
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/first", "/refused", "/later"})) << "kept and written again";
    EXPECT_TRUE(ColorizationHistoryStore().folderStyles().contains("/refused"));
    EXPECT_TRUE(store.written());
    EXPECT_EQ(store.writtenRecordCount(), 3u);
}

TEST_F(ColorizationHistoryStoreTest, AGuardOutlivingItsStoreEndsNothing)
{
    auto store = std::make_unique<ColorizationHistoryStore>();
    const ColorizationHistoryStore::ScopedBatch batch(*store);
    store->record("/kept", styleWithHue(1));
    store.reset(); // the batch is still open: what it held is lost, as when the program is killed
    EXPECT_FALSE(ColorizationHistoryStore().folderStyles().contains("/kept"));
}

TEST_F(ColorizationHistoryStoreTest, BatchKilledMidwayLosesAtMostTheLastInterval)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // styles a long batch and is killed before it ends
        ColorizationHistoryStore store;
        store.beginBatch();
        store.record("/batch/one", styleWithHue(1));
        store.record("/batch/two", styleWithHue(2));
        runEvents(ColorizationHistoryStore::batchWriteInterval + std::chrono::milliseconds(600));
        store.record("/batch/three", styleWithHue(3));
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/batch/one", "/batch/two"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), (QStringList{"/batch/one", "/batch/two"}));
}

TEST_F(ColorizationHistoryStoreTest, BatchKeepsWhatOthersWroteAndWhatTheLogLoadsMidway)
{
    ColorizationHistoryStore store;
    store.beginBatch();
    store.record("/mine/1", styleWithHue(1));
    store.flush();
    ColorizationHistoryStore other; // another process, as far as the files go
    other.record("/other", styleWithHue(2));
    store.record("/mine/2", styleWithHue(3));
    store.flush();
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/mine/1", "/other", "/mine/2"}));

    store.record("/mine/3", styleWithHue(4));
    store.loadChronologicalLog(); // the view opens: it reads the file, which then holds every entry
    EXPECT_EQ(pathsOf(store.chronologicalLog()), (QStringList{"/mine/1", "/other", "/mine/2", "/mine/3"}));
    store.record("/mine/4", styleWithHue(5));
    EXPECT_EQ(logOnDisk().size(), 4);
    store.endBatch();
    EXPECT_EQ(logOnDisk(), store.chronologicalLog());
    EXPECT_EQ(logOnDisk().size(), 5);
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(),
              (QStringList{"/mine/1", "/mine/2", "/mine/3", "/mine/4", "/other"}));
}

// A disk without room for the history's new text: both files stay as they were, byte for byte, the failure
// is said once for each and answered by `written()`, and the next write, once there is room, writes every
// entry and style kept meanwhile; the same with the log loaded.
TEST_F(ColorizationHistoryStoreTest, AFullDiskLeavesTheHistoryWholeAndWhatItHeldIsWrittenOnceThereIsRoom)
{
    test::FullDisk disk(directory());
    ColorizationHistoryStore store;
    const auto recordBatch = [&store](int from, int count) {
        store.beginBatch();
        for (int n = from; n < from + count; ++n)
            store.record(QStringLiteral("/full/%1").arg(n, 2, 10, QChar(u'0')), styleWithHue(n));
        store.endBatch();
    };
    recordBatch(0, 20);
    const QByteArray oldLog = contents(ColorizationHistoryStore::logFileName);
    const QByteArray oldStyles = contents(ColorizationHistoryStore::stylesFileName);
    log.clear();
    disk.fill(4096); // less than either file's new text, which stays in one buffer
    recordBatch(20, 20);
    EXPECT_EQ(contents(ColorizationHistoryStore::logFileName), oldLog);
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), oldStyles);
    EXPECT_EQ(log.lines(), (QStringList{"Error appending to chronological log: " + disk.reason(),
                                        "Error saving folder styles: " + disk.reason()}));
    const Done written = store.written();
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), disk.reason());
    EXPECT_EQ(store.folderStyles().size(), 40) << "kept in memory";
    EXPECT_EQ(store.writtenRecordCount(), 20u) << "the failed write's records are not on disk";

    disk.empty();
    store.record("/full/after", styleWithHue(99));
    EXPECT_TRUE(store.written());
    EXPECT_EQ(store.writtenRecordCount(), 41u) << "the rewrite holds them";
    EXPECT_EQ(logOnDisk().size(), 41);
    EXPECT_EQ(logOnDisk().value(20).folderPath, "/full/20");
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_EQ(store.folderStyles().size(), 41);

    store.loadChronologicalLog();
    disk.fill(4096);
    store.record("/full/loaded", styleWithHue(1));
    EXPECT_FALSE(store.written());
    EXPECT_EQ(logOnDisk().size(), 41);
    disk.empty();
    store.record("/full/last", styleWithHue(2));
    EXPECT_TRUE(store.written());
    EXPECT_EQ(logOnDisk(), store.chronologicalLog());
    EXPECT_EQ(pathsOf(logOnDisk().mid(41)), (QStringList{"/full/loaded", "/full/last"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
}

// The window holds the log loaded while another process appends: the window's next write keeps that
// entry (and the other's style), and loading again shows it.
TEST_F(ColorizationHistoryStoreTest, ALoadedLogKeepsWhatAnotherProcessAppendedSinceItWasRead)
{
    ColorizationHistoryStore window;
    window.record("/first", styleWithHue(1));
    window.loadChronologicalLog();
    ColorizationHistoryStore().record("/other", styleWithHue(2)); // another process, as far as the files go
    window.record("/mine", styleWithHue(3));
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/first", "/other", "/mine"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), (QStringList{"/first", "/mine", "/other"}));
    EXPECT_EQ(window.folderStyles().keys(), (QStringList{"/first", "/mine", "/other"}));
    window.record("/mine/2", styleWithHue(4));
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/first", "/other", "/mine", "/mine/2"}));
    window.loadChronologicalLog();
    EXPECT_EQ(window.chronologicalLog(), logOnDisk());
    window.record("/mine/3", styleWithHue(5));
    EXPECT_EQ(window.chronologicalLog(), logOnDisk());
}

// Two processes read the history, then record a style and remove the other's style of the round before at
// the same time, round after round: every style recorded stays, every style removed stays away, whichever
// writes last, and the log holds every entry.
TEST_F(ColorizationHistoryStoreTest, TwoProcessesWritingAtOnceKeepEachOthersStylesAndRemovals)
{
    constexpr int rounds = 5;
    const auto folder = [](int side, int round) { return QStringLiteral("/side%1/%2").arg(side).arg(round); };
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        int go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        pid_t children[2];
        for (int side = 0; side < 2; ++side) {
            children[side] = ::fork();
            ASSERT_GE(children[side], 0);
            if (children[side] == 0) {
                ColorizationHistoryStore store; // reads the styles file now
                char byte = 0;
                if (::write(ready[1], "r", 1) != 1 || ::read(go[0], &byte, 1) != 1)
                    ::_exit(2);
                store.beginBatch();
                store.record(folder(side, round), styleWithHue(round));
                if (round > 0)
                    store.removeFolderStyle(folder(1 - side, round - 1));
                store.endBatch();
                ::_exit(store.written() ? 0 : 1);
            }
        }
        char bytes[2];
        ASSERT_EQ(::read(ready[0], bytes, 1) + ::read(ready[0], bytes + 1, 1), 2) << "both read the history";
        ASSERT_EQ(::write(go[1], "gg", 2), 2);
        for (const pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        for (int* pipe : {ready, go}) {
            ::close(pipe[0]);
            ::close(pipe[1]);
        }
        QStringList expected{folder(0, round), folder(1, round)};
        EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), expected) << "round " << round;
    }
    EXPECT_EQ(logOnDisk().size(), 2 * rounds);
}

TEST_F(ColorizationHistoryStoreTest, BatchMovesAnUnreadableLogAsideOnce)
{
    put(ColorizationHistoryStore::logFileName, "[{\"folderPath\":");
    ColorizationHistoryStore store;
    store.beginBatch();
    store.record("/x", styleWithHue(1));
    store.flush();
    store.record("/y", styleWithHue(2));
    store.endBatch();
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/x", "/y"}));
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1);
    EXPECT_EQ(log.count("Error appending to chronological log: "), 1);
}

TEST_F(ColorizationHistoryStoreTest, BatchChecksTheLogWhileItRunsAndStillRefusesABadEntry)
{
    put(ColorizationHistoryStore::logFileName, R"([{"folderPath":"\/old","timestamp":"2025-03-01T09:30:00Z"}])");
    ColorizationHistoryStore store;
    store.beginBatch();
    runEvents(std::chrono::milliseconds(50)); // the batch reads and checks the log meanwhile
    store.record("/new", styleWithHue(1));
    store.endBatch();
    EXPECT_EQ(pathsOf(logOnDisk()), QStringList{"/new"});
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1) << "the entry without data is kept aside";

    ColorizationHistoryStore().record("/second", styleWithHue(2));
    store.beginBatch();
    runEvents(std::chrono::milliseconds(50));
    store.record("/third", styleWithHue(3));
    store.endBatch();
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/new", "/second", "/third"}));
}

namespace {

// A log of `count` entries for "/archive/NNNNN" and the styles file of the same folders, as another run
// of the program would have left them.
QList<HistoryLogEntry> longHistory(int count)
{
    QList<HistoryLogEntry> entries;
    for (int n = 0; n < count; ++n)
        entries.append(
            {QStringLiteral("/archive/%1").arg(n, 5, 10, QChar(u'0')), styleWithHue(n % 360), historyTimestampNow()});
    return entries;
}

QByteArray stylesText(const QList<HistoryLogEntry>& entries)
{
    QByteArray text("{");
    for (const HistoryLogEntry& entry : entries)
        text += (text.size() > 1 ? "," : "") + json::quoted(entry.folderPath) + ':' + *json::encode(entry.data);
    return text + '}';
}

struct ColorizationHistoryStoreTest::LongHistory {
    QList<HistoryLogEntry> entries;
    QByteArray log;
    QByteArray styles;
};

ColorizationHistoryStoreTest::LongHistory ColorizationHistoryStoreTest::putLongHistory(int count)
{
    LongHistory history{longHistory(count), {}, {}};
    history.log = *json::encodeLog(history.entries);
    history.styles = stylesText(history.entries);
    put(ColorizationHistoryStore::logFileName, history.log);
    put(ColorizationHistoryStore::stylesFileName, history.styles);
    return history;
}

} // namespace

TEST_F(ColorizationHistoryStoreTest, ABatchKeepsALongHistoryByteForByteEvenWhenNoEventsRun)
{
    const auto [old, oldLog, oldStyles] = putLongHistory(10000);
    ColorizationHistoryStore store;
    store.beginBatch(); // the caller runs no event loop until the batch ends
    store.record("/zeta/one", styleWithHue(1));
    store.record("/zeta/two", styleWithHue(2));
    store.endBatch();

    const QByteArray newLog = contents(ColorizationHistoryStore::logFileName);
    EXPECT_TRUE(newLog.startsWith(oldLog.chopped(1) + ',')) << "the old entries are copied, not encoded again";
    const QList<HistoryLogEntry> entries = logOnDisk();
    ASSERT_EQ(entries.size(), 10002);
    EXPECT_EQ(pathsOf(entries.mid(10000)), (QStringList{"/zeta/one", "/zeta/two"}));
    EXPECT_EQ(entries[10001].data, styleWithHue(2));
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName),
              oldStyles.chopped(1) + ',' + json::quoted("/zeta/one") + ':' + *json::encode(styleWithHue(1)) + ',' +
                  json::quoted("/zeta/two") + ':' + *json::encode(styleWithHue(2)) + '}');
    EXPECT_TRUE(corruptCopies(ColorizationHistoryStore::logFileName).isEmpty());
}

// A batch writes the start of long files while it runs; whatever changed that start meanwhile, the files it
// leaves are the ones a write of the whole text would have left, and nothing else is left beside them.
TEST_F(ColorizationHistoryStoreTest, ABatchOverLongFilesWritesWhatChangedUnderItAndLeavesNoOtherFile)
{
    const QList<HistoryLogEntry> old = putLongHistory(2000).entries;
    ColorizationHistoryStore store;
    store.record("/archive/01000b", styleWithHue(7)); // the styles' text is now in three pieces

    store.beginBatch();
    store.waitForWrites();                                        // the log as read is written ahead
    ColorizationHistoryStore().record("/other", styleWithHue(2)); // another process: a new log file
    store.record("/zeta/1", styleWithHue(1));                     // the styles before it are written ahead
    store.flush();
    store.record("/zeta/2", styleWithHue(3));
    store.record("/archive/00500b", styleWithHue(4)); // before the start written ahead
    store.endBatch();

    const QList<HistoryLogEntry> entries = logOnDisk();
    ASSERT_EQ(entries.size(), 2005);
    EXPECT_EQ(entries.first(2000), old);
    EXPECT_EQ(pathsOf(entries.mid(2000)),
              (QStringList{"/archive/01000b", "/other", "/zeta/1", "/zeta/2", "/archive/00500b"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_EQ(store.folderStyles().size(), 2005) << "the other process's style is kept";
    EXPECT_EQ(store.folderStyles().value("/other"), styleWithHue(2));
    EXPECT_EQ(store.folderStyles().value("/archive/00500b"), styleWithHue(4));
    EXPECT_EQ(store.folderStyles().value("/zeta/2"), styleWithHue(3));
    EXPECT_EQ(QDir(directory()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{ColorizationHistoryStore::stylesFileName, ColorizationHistoryStore::logFileName}));
    EXPECT_TRUE(log.lines().filter("Error").isEmpty()) << log.lines().join('\n').toStdString();
}

TEST_F(ColorizationHistoryStoreTest, ABatchWhoseEndIsRefusedLeavesLongFilesAsTheyWereAndSavesTheStylesLater)
{
    const LongHistory old = putLongHistory(2000);
    ColorizationHistoryStore store;
    store.beginBatch();
    store.record("/zeta/1", styleWithHue(1));
    store.waitForWrites(); // both files are written ahead
    {
        const test::WriteProtection refused(directory());
        if (!refused.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        store.endBatch();
    }
    EXPECT_EQ(contents(ColorizationHistoryStore::logFileName), old.log);
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), old.styles);
    EXPECT_EQ(log.count("Error appending to chronological log: "), 1);
    EXPECT_EQ(log.count("Error saving folder styles: "), 1);

    store.record("/zeta/2", styleWithHue(2));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_EQ(store.folderStyles().size(), 2002);
    EXPECT_EQ(QDir(directory()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{ColorizationHistoryStore::stylesFileName, ColorizationHistoryStore::logFileName}));
}

TEST_F(ColorizationHistoryStoreTest, ABatchRefusesALongLogWithOneBadEntryEvenWhenNoEventsRun)
{
    QByteArray oldLog = *json::encodeLog(longHistory(10000));
    // Entry 5000 loses its style: valid JSON, but no log entry.
    const qsizetype at = oldLog.indexOf("\"data\":", oldLog.indexOf("\\/archive\\/05000"));
    ASSERT_GT(at, 0);
    oldLog.replace(at, 7, "\"gone\":");
    put(ColorizationHistoryStore::logFileName, oldLog);
    ColorizationHistoryStore store;
    store.beginBatch();
    store.record("/new", styleWithHue(1));
    store.endBatch();
    EXPECT_EQ(pathsOf(logOnDisk()), QStringList{"/new"});
    ASSERT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1);
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName)[0]), oldLog);
    EXPECT_EQ(log.count("Error appending to chronological log: "), 1);
}

TEST_F(ColorizationHistoryStoreTest, OneAppendKeepsTheLogAsWrittenAndStillRefusesABadEntry)
{
    const QByteArray oldLog = " [ " + json::encodeLog(longHistory(3))->mid(1).replace("},{", "} , {") + " \n";
    put(ColorizationHistoryStore::logFileName, oldLog);
    ColorizationHistoryStore().record("/new", styleWithHue(1));
    const QByteArray newLog = contents(ColorizationHistoryStore::logFileName);
    EXPECT_TRUE(newLog.startsWith(oldLog.trimmed().chopped(1) + ',')) << "the entries read are not encoded again";
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/archive/00000", "/archive/00001", "/archive/00002", "/new"}));

    const QByteArray bad = newLog.chopped(1) + R"(,{"folderPath":"\/b","timestamp":"2025-03-01T09:30:00Z"}])";
    put(ColorizationHistoryStore::logFileName, bad);
    ColorizationHistoryStore().record("/after", styleWithHue(2));
    EXPECT_EQ(pathsOf(logOnDisk()), QStringList{"/after"});
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), bad);
}

namespace {

using StylesLoad = ColorizationHistoryStore::StylesLoad;

// Styles as another writer spaced them (one member this version does not know), which a save copies as read.
const QByteArray spacedStyle = R"({ "color" : {"hue":1,"saturation":2,"lightness":3}, "intensity" : 1, )"
                               R"("iconStyle":{"type":"inverted"}, "later" : [1, 2] })";

} // namespace

TEST_F(ColorizationHistoryStoreTest, StylesLoadedInTheBackgroundAreTakenInByTheFirstUse)
{
    put(ColorizationHistoryStore::stylesFileName, R"({"\/b":)" + spacedStyle + R"(,"\/a":)" + spacedStyle + "}");
    const ColorizationHistoryStore eager;
    log.clear();
    ColorizationHistoryStore store(StylesLoad::inBackground);
    QSignalSpy stylesChanged(&store, &ColorizationHistoryStore::folderStylesChanged);
    EXPECT_FALSE(store.folderStylesLoaded());
    EXPECT_TRUE(log.lines().isEmpty()) << "nothing is said before the styles are taken in";
    EXPECT_EQ(store.folderStyles(), eager.folderStyles());
    EXPECT_TRUE(store.folderStylesLoaded());
    EXPECT_EQ(log.lines(), QStringList{"Loaded 2 folder styles"});
    EXPECT_EQ(store.groupedFolderStyles().size(), 1);
    EXPECT_EQ(stylesChanged.count(), 0) << "whoever looks sees them already";
}

TEST_F(ColorizationHistoryStoreTest, ABatchRecordedBeforeTheBackgroundLoadIsTakenInKeepsEveryStyleAsRead)
{
    put(ColorizationHistoryStore::stylesFileName,
        R"({"\/b" : )" + spacedStyle + R"(, "\/c":)" + spacedStyle + R"(, "\/c":)" + spacedStyle + "}");
    ColorizationHistoryStore store(StylesLoad::inBackground);
    store.beginBatch();
    store.record("/a", styleWithHue(40));
    store.record("/c", styleWithHue(50));
    store.endBatch();
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName),
              "{" + json::quoted("/a") + ':' + *json::encode(styleWithHue(40)) + ',' + json::quoted("/b") + ':' +
                  spacedStyle + ',' + json::quoted("/c") + ':' + *json::encode(styleWithHue(50)) + '}');
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_EQ(store.folderStyles().size(), 3);
}

TEST_F(ColorizationHistoryStoreTest, AnUnreadableStylesFileMetLateIsMovedAsideBeforeTheFirstWrite)
{
    const QByteArray invalid = R"({"\/a":{"color":{"hue":1}}})"; // valid JSON, not a style
    for (const QByteArray& bad : {invalid, QByteArray("garbage")}) {
        QDir(directory()).removeRecursively();
        put(ColorizationHistoryStore::stylesFileName, bad);
        log.clear();
        ColorizationHistoryStore store(StylesLoad::inBackground);
        QTest::qWait(50); // the load has ended: still nothing said or moved
        EXPECT_TRUE(log.lines().isEmpty());
        EXPECT_TRUE(corruptCopies(ColorizationHistoryStore::stylesFileName).isEmpty());
        store.beginBatch();
        store.record("/b", styleWithHue(1));
        ASSERT_EQ(log.lines().size(), 2);
        EXPECT_TRUE(log.lines()[0].startsWith("Error loading folder styles: "));
        EXPECT_TRUE(log.lines()[1].startsWith("Moved unreadable folder_styles.json aside to "));
        store.endBatch();
        EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)), bad);
        EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), QStringList{"/b"});
    }
}

TEST_F(ColorizationHistoryStoreTest, AStylesFileUnreadableWhenLoadedButReplacedSinceIsReadAgain)
{
    put(ColorizationHistoryStore::stylesFileName, "garbage");
    ColorizationHistoryStore store(StylesLoad::inBackground);
    QTest::qWait(50);
    put(ColorizationHistoryStore::stylesFileName, R"({"\/other":)" + spacedStyle + "}"); // repaired meanwhile
    log.clear();
    EXPECT_EQ(store.folderStyles().keys(), QStringList{"/other"});
    EXPECT_TRUE(corruptCopies(ColorizationHistoryStore::stylesFileName).isEmpty());
    EXPECT_FALSE(log.contains("Error loading folder styles"));
}

TEST_F(ColorizationHistoryStoreTest, AnUnmovableStylesFileMetLateIsNeverOverwritten)
{
    put(ColorizationHistoryStore::stylesFileName, "garbage");
    std::optional<ColorizationHistoryStore> store;
    {
        test::WriteProtection protection(directory());
        if (!protection.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        store.emplace(StylesLoad::inBackground);
        store->record("/a", styleWithHue(1));
        EXPECT_TRUE(log.lines().value(0).startsWith("Error loading folder styles: "));
        EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), "garbage");
        EXPECT_FALSE(log.contains("Moved unreadable"));
    }
    store->record("/b", styleWithHue(2));
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)), "garbage");
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), (QStringList{"/a", "/b"}));
}

TEST_F(ColorizationHistoryStoreTest, AStoreGoneBeforeItsBackgroundLoadEndedLeavesTheFilesAlone)
{
    put(ColorizationHistoryStore::stylesFileName, "garbage");
    {
        ColorizationHistoryStore store(StylesLoad::inBackground);
    }
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName), "garbage");
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(ColorizationHistoryStoreTest, ABatchEndingWithBothFilesUnreadableMovesEachAsideOnceAndWritesBoth)
{
    put(ColorizationHistoryStore::logFileName, "not json");
    put(ColorizationHistoryStore::stylesFileName, "garbage");
    ColorizationHistoryStore store(StylesLoad::inBackground);
    {
        test::WriteProtection protection(directory());
        if (!protection.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        store.beginBatch();
        store.record("/a", styleWithHue(1)); // the styles cannot be moved aside yet: kept, never overwritten
        EXPECT_TRUE(log.contains("Error loading folder styles: "));
        EXPECT_FALSE(log.contains("Moved unreadable"));
    }
    store.record("/b", styleWithHue(2));
    store.endBatch(); // the log's write and the styles' write run at once, each moving its file aside
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)), "garbage");
    EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::logFileName).value(0)), "not json");
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::stylesFileName).size(), 1);
    EXPECT_EQ(corruptCopies(ColorizationHistoryStore::logFileName).size(), 1);
    EXPECT_EQ(pathsOf(logOnDisk()), (QStringList{"/a", "/b"}));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles(), store.folderStyles());
    EXPECT_EQ(store.folderStyles().keys(), (QStringList{"/a", "/b"}));
}

TEST_F(ColorizationHistoryStoreTest, StylesKeptAsReadByABackgroundLoadAreRemovedSavedAndDecodedOnDemand)
{
    put(ColorizationHistoryStore::stylesFileName,
        R"({"\/a":)" + spacedStyle + R"(,"\/b":)" + spacedStyle + R"(,"\/c":)" + spacedStyle + "}");
    ColorizationHistoryStore store(StylesLoad::inBackground);
    QSignalSpy stylesChanged(&store, &ColorizationHistoryStore::folderStylesChanged);
    store.removeFolderStyle("/b");
    EXPECT_EQ(stylesChanged.count(), 1);
    store.removeFolderStyle("/b");
    EXPECT_EQ(stylesChanged.count(), 1) << "gone already";
    store.saveFolderStyles();
    EXPECT_EQ(contents(ColorizationHistoryStore::stylesFileName),
              R"({"\/a":)" + spacedStyle + R"(,"\/c":)" + spacedStyle + "}");
    EXPECT_EQ(store.folderStyles().keys(), (QStringList{"/a", "/c"}));
    EXPECT_EQ(store.folderStyles(), ColorizationHistoryStore().folderStyles());
    EXPECT_EQ(store.folderStyles().value("/a").iconStyle, IconStyle::inverted());
}

TEST_F(ColorizationHistoryStoreTest, AStyleThatDoesNotDecodeRefusesABackgroundLoadWithTheDecodesError)
{
    const QByteArray valid = *json::encode(styleWithHue(3));
    const QByteArray color = R"({"hue":1,"saturation":2,"lightness":3})";
    const QList<QByteArray> invalid{
        R"({"color":)" + color + R"(,"intensity":1,"iconStyle":{"type":"sparkly"}})",
        R"({"color":)" + color +
            R"(,"intensity":1,"icon":{"name":"x","url":"ht tp:\/\/"},"iconStyle":{"type":"original"}})",
        R"({"color":)" + color +
            R"(,"intensity":1,"icon":{"name":"x","imageData":"abc"},"iconStyle":{"type":"original"}})",
        R"({"color":)" + color + R"(,"intensity":1,"icon":{"emoji":"x"},"iconStyle":{"type":"original"}})",
        R"({"color":)" + color + R"(,"intensity":1,"icon":{"name":"x","emoji":3},"iconStyle":{"type":"original"}})",
        R"({"color":)" + color + R"(,"intensity":1,"iconSize":"big","iconStyle":{"type":"original"}})",
        R"({"color":)" + color + R"(,"intensity":1,"iconStyle":{"type":"color","color":{"hue":1}}})",
        R"({"color":)" + color + R"(,"intensity":null,"iconStyle":{"type":"original"}})",
    };
    for (const QByteArray& style : invalid) {
        QDir(directory()).removeRecursively();
        const QByteArray file = R"({"\/a":)" + valid + R"(,"\/b":)" + style + "}";
        put(ColorizationHistoryStore::stylesFileName, file);
        const QString error = json::decode(style).error();
        ASSERT_FALSE(error.isEmpty()) << style.constData();
        log.clear();
        ColorizationHistoryStore store(StylesLoad::inBackground);
        EXPECT_TRUE(store.folderStyles().isEmpty());
        EXPECT_EQ(log.lines().value(0), "Error loading folder styles: " + error) << style.constData();
        EXPECT_EQ(contents(corruptCopies(ColorizationHistoryStore::stylesFileName).value(0)), file);
    }
}
