#include "storage/HistoryWriter.h"

#include "storage/ColorizationHistoryStore.h"
#include "support/FileSystem.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

const QString& logName = ColorizationHistoryStore::logFileName;
const QString& stylesName = ColorizationHistoryStore::stylesFileName;

ColorizationData styleWithHue(double hue)
{
    return ColorizationData{HSL{hue, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()};
}

class HistoryWriterTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return directory.filePath(name); }
    QByteArray contents(const QString& name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList pathsInLog() const
    {
        const auto entries = json::decodeLog(contents(logName));
        EXPECT_TRUE(entries) << entries.error().toStdString();
        QStringList paths;
        for (const HistoryLogEntry& entry : entries ? *entries : QList<HistoryLogEntry>{})
            paths.append(entry.folderPath);
        return paths;
    }
    QStringList corruptCopies(const QString& name) const
    {
        return QDir(directory.path()).entryList({name + ".corrupt-*"}, QDir::Files);
    }
    // The store's side of a write of the styles: its changes, and its current styles (those changes made
    // over `held`) as text.
    static HistoryWriter::StylesWrite stylesWrite(const HistoryWriter::StyleChanges& changes,
                                                  QMap<QString, ColorizationData> held = {},
                                                  std::optional<FileIdentity> readAs = std::nullopt)
    {
        QMap<QString, StyleMemberText> members;
        applyStyleChanges(changes, held, members);
        return {changes, encodeStyles(held, members), readAs};
    }
    static HistoryWriter::LogWrite logWrite(const QStringList& folders)
    {
        HistoryWriter::LogWrite write;
        for (const QString& folder : folders)
            write.entries.append(HistoryLogEntry{folder, styleWithHue(1), historyTimestampNow()});
        return write;
    }

    QTemporaryDir directory;
    test::LogCapture log;
};

} // namespace

// A refused write (a write-protected directory here; a full disk alike) leaves the files as they were, says
// why once however often it fails, and keeps what it held, which the next write puts on disk with nothing new.
TEST_F(HistoryWriterTest, ARefusedWriteKeepsTheFilesSaysWhyOnceAndWritesWhatItHeldLater)
{
    HistoryWriter writer(directory.path());
    writer.writeLog(logWrite({"/a"}));
    writer.writeStyles(stylesWrite({{"/a", styleWithHue(1)}}, {}, fileIdentity(file(stylesName))));
    ASSERT_TRUE(writer.writtenState());
    const QByteArray styles = contents(stylesName);
    const QByteArray history = contents(logName);
    {
        test::WriteProtection protection(directory.path());
        if (!protection.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        log.clear();
        for (int attempt = 0; attempt < 2; ++attempt) {
            writer.writeLog(logWrite({QStringLiteral("/b%1").arg(attempt)}));
            writer.writeStyles(stylesWrite({{"/b", styleWithHue(2)}}, {{"/a", styleWithHue(1)}}));
        }
        EXPECT_EQ(contents(stylesName), styles);
        EXPECT_EQ(contents(logName), history);
        ASSERT_EQ(log.lines().size(), 2) << "each failure said once";
        EXPECT_TRUE(log.lines()[0].startsWith("Error appending to chronological log: "));
        EXPECT_TRUE(log.lines()[1].startsWith("Error saving folder styles: "));
        EXPECT_FALSE(writer.writtenState());
        EXPECT_TRUE(writer.somethingUnsaved());
        EXPECT_EQ(writer.unsavedEntries().size(), 2);
        EXPECT_EQ(writer.unsavedStyles().keys(), QStringList{"/b"});
    }
    writer.writeLog({});
    writer.writeStyles(stylesWrite({}, {{"/a", styleWithHue(1)}, {"/b", styleWithHue(2)}}));
    EXPECT_TRUE(writer.writtenState());
    EXPECT_FALSE(writer.somethingUnsaved());
    EXPECT_EQ(pathsInLog(), (QStringList{"/a", "/b0", "/b1"}));
    EXPECT_TRUE(contents(stylesName).contains("\"\\/b\"")) << contents(stylesName).toStdString();
}

// The styles file changed by another process since the store read it: this writer's changes are made over
// the file as it is, and the store is handed the result to take in.
TEST_F(HistoryWriterTest, StylesOutOfStepAreMergedAndHandedBack)
{
    HistoryWriter writer(directory.path());
    writer.writeStyles(stylesWrite({{"/mine", styleWithHue(1)}}, {}, fileIdentity(file(stylesName))));
    ASSERT_TRUE(writer.writtenState());
    EXPECT_EQ(writer.takeMergedStyles(), nullptr) << "in step: written as the store holds them";

    HistoryWriter other(directory.path()); // another process adds a style and removes this one's
    other.writeStyles(stylesWrite({{"/other", styleWithHue(2)}, {"/mine", std::nullopt}}, {{"/mine", styleWithHue(1)}},
                                  fileIdentity(file(stylesName))));
    writer.writeStyles(stylesWrite({{"/new", styleWithHue(3)}}, {{"/mine", styleWithHue(1)}}));
    const auto merged = writer.takeMergedStyles();
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->identity, fileIdentity(file(stylesName)));
    EXPECT_EQ(merged->styles.members.keys(), (QStringList{"/new", "/other"})) << "the removal stays";
    EXPECT_EQ(decodeAllStyles(contents(stylesName))->styles.keys(), merged->styles.members.keys());
}

// An unreadable file that cannot be moved aside (the directory write-protected): no write replaces it until
// it is moved aside, which the first write that can do so does.
TEST_F(HistoryWriterTest, AnUnreadableFileIsNeverOverwrittenBeforeItIsMovedAside)
{
    put(stylesName, "garbage");
    HistoryWriter writer(directory.path());
    {
        test::WriteProtection protection(directory.path());
        if (!protection.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        writer.preserveAfterFailedLoad(stylesName);
        writer.writeStyles(stylesWrite({{"/a", styleWithHue(1)}}));
        EXPECT_EQ(contents(stylesName), "garbage");
        EXPECT_FALSE(log.contains("Moved unreadable"));
        EXPECT_FALSE(writer.writtenState());
    }
    writer.writeStyles(stylesWrite({}, {{"/a", styleWithHue(1)}}, fileIdentity(file(stylesName))));
    EXPECT_TRUE(writer.writtenState());
    ASSERT_EQ(corruptCopies(stylesName).size(), 1);
    EXPECT_EQ(contents(corruptCopies(stylesName)[0]), "garbage");
    EXPECT_EQ(decodeAllStyles(contents(stylesName))->styles.keys(), QStringList{"/a"});
}

// Posted work runs in order on the writer's thread, and waiting for the writes waits for all of it.
TEST_F(HistoryWriterTest, PostedWritesRunInOrderAndAreWaitedFor)
{
    HistoryWriter writer(directory.path());
    for (int n = 0; n < 20; ++n)
        writer.post([&writer, n] { writer.writeLog(logWrite({QStringLiteral("/%1").arg(n)})); });
    writer.waitForWrites();
    EXPECT_TRUE(writer.idle());
    QStringList expected;
    for (int n = 0; n < 20; ++n)
        expected.append(QStringLiteral("/%1").arg(n));
    EXPECT_EQ(pathsInLog(), expected);
}
