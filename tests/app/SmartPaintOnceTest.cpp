#include "app/SmartPaintOnce.h"

#include "platform/FolderIconStore.h"
#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"
#include "support/FullDisk.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

using namespace pigmo;
using test::LogCapture;

namespace {

Result<SmartPaintOnce::Styled> withGlyph(std::optional<Icon> icon, QString missing = {})
{
    return SmartPaintOnce::Styled{ColorizationData{HSL{200, 60, 50}, 0.6, std::move(icon), 170.0, IconStyle::vibrant()},
                                  std::move(missing)};
}

Result<SmartPaintOnce::Styled> notStyled(const QString& reason)
{
    return Result<SmartPaintOnce::Styled>::failure(reason);
}

Icon emoji(const QString& character)
{
    Icon icon;
    icon.emoji = character;
    icon.name = QStringLiteral("musical note");
    return icon;
}

Icon lucide(const QString& name)
{
    Icon icon;
    icon.url = QUrl::fromLocalFile(QStringLiteral("/icons/") + name + QStringLiteral(".svg"));
    icon.name = name;
    return icon;
}

// One folder's answer in these tests: the style applied, or why not; nothing when the run was asked to end
// before the folder was styled.
using Answer = std::optional<Result<SmartPaintOnce::Styled>>;

FolderStyling::Outcome outcomeOf(const QString& path, const Answer& answer)
{
    FolderStyling::Outcome outcome;
    outcome.folder = Folder::unchecked(path);
    outcome.operation = FolderStyling::Operation::styleByName;
    if (!answer) {
        outcome.error = FolderStyling::programEnding;
    } else if (!*answer) {
        outcome.error = answer->error();
    } else {
        outcome.style = (*answer)->style;
        outcome.missing = (*answer)->missing;
    }
    return outcome;
}

// A styling that answers each folder on a later turn of the event loop, one at a time, as the folder styler
// does, and remembers what it was asked.
class Answering : public FolderStyling {
public:
    using Answers = std::function<Answer(const QString& path)>;
    explicit Answering(Answers answer)
        : answer_(std::move(answer))
    {
    }

    void styleByName(const QList<Folder>& folders, const QString&, Completion completion,
                     std::chrono::milliseconds) override
    {
        QStringList paths;
        for (const Folder& folder : folders)
            paths.append(folder.path());
        batches.append(paths);
        next(paths, 0, completion);
    }
    void finish() override {}

    QList<QStringList> batches;

private:
    void next(const QStringList& folders, qsizetype index, const Completion& finished)
    {
        if (index == folders.size())
            return;
        QTimer::singleShot(0, [this, folders, index, finished] {
            finished(outcomeOf(folders[index], answer_(folders[index])));
            next(folders, index + 1, finished);
        });
    }

    Answers answer_;
};

// A styling in which a termination signal arrives while the first folder is written, and the second takes
// long to write: stopping lets the second finish and refuses the rest. Without a stop, every folder is
// styled after five seconds.
class Interrupted : public FolderStyling {
public:
    void styleByName(const QList<Folder>& folders, const QString&, Completion completion,
                     std::chrono::milliseconds) override
    {
        folders_ = folders;
        finished_ = completion;
        std::raise(SIGTERM);
        answer(0, withGlyph(lucide(QStringLiteral("first"))));
        QTimer::singleShot(std::chrono::seconds(5), [this] { answerTheRest(false); });
    }
    void finish() override
    {
        ++stops;
        answerTheRest(true);
    }

    int stops = 0;

private:
    void answer(qsizetype index, const Answer& answer) { finished_(outcomeOf(folders_[index].path(), answer)); }
    void answerTheRest(bool stopped)
    {
        for (qsizetype i = 1; i < folders_.size(); ++i) {
            if (stopped && i > 1)
                answer(i, std::nullopt);
            else
                answer(i, withGlyph(lucide(QStringLiteral("written"))));
        }
        folders_.clear();
    }

    QList<Folder> folders_;
    Completion finished_;
};

QByteArray asLogged(const QString& path)
{
    return path.toUtf8().replace("/", "\\/"); // as the history log writes it
}

QByteArray historyLog(const ColorizationHistoryStore& history)
{
    QFile file(history.storageDirectory() + QStringLiteral("/") + ColorizationHistoryStore::logFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The folder's PNG files in the icon store (the store is shared by the tests of a run; the names start with
// a hash of the folder's path).
QStringList storedIcons(const QString& folder)
{
    const QString prefix = FolderIconStore::fileName(folder, {}).section(u'-', 0, 0) + u'-';
    return QDir(FolderIconStore::directory()).entryList({prefix + u'*'}, QDir::Files);
}

} // namespace

TEST(SmartPaintOnceTest, OneLinePerFolderWithItsGlyphOrWhyNot)
{
    const QString music = QStringLiteral("/home/u/Music");
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(emoji(QStringLiteral("🎵")))), music + QStringLiteral(": 🎵"));
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(lucide(QStringLiteral("receipt")))),
              music + QStringLiteral(": receipt"));
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(std::nullopt)), music + QStringLiteral(": no glyph"));
    EXPECT_EQ(SmartPaintOnce::line(music, notStyled(QStringLiteral("its icon could not be set: Permission denied"))),
              music + QStringLiteral(": not styled: its icon could not be set: Permission denied"));
    EXPECT_EQ(
        SmartPaintOnce::line(music, withGlyph(lucide(QStringLiteral("receipt")),
                                              QStringLiteral("not shown by GNOME file managers: no session bus"))),
        music + QStringLiteral(": receipt (not shown by GNOME file managers: no session bus)"));
}

TEST(SmartPaintOnceTest, StylesInOneBatchAndAnswersEachFolderInOrderAsItEnds)
{
    LogCapture log(false);
    ColorizationHistoryStore history;
    qsizetype answeredBefore = 0;
    Answering answering([&](const QString& path) -> Answer {
        // Each folder's line is out before the next folder's outcome arrives.
        EXPECT_EQ(log.lines(log::Channel::standardOutput).size(), answeredBefore++);
        if (path.endsWith(QStringLiteral("broken")))
            return notStyled(QStringLiteral("its icon could not be drawn"));
        return withGlyph(lucide(path.section(u'/', -1).toLower()));
    });

    EXPECT_EQ(SmartPaintOnce::paint({"/a/Invoices", "/a/Receipt"}, answering, history), SmartPaintOnce::allStyled);
    EXPECT_EQ(log.lines(log::Channel::standardOutput), (QStringList{"/a/Invoices: invoices", "/a/Receipt: receipt"}));
    EXPECT_TRUE(log.lines(log::Channel::systemLog).isEmpty());

    log.clear();
    answeredBefore = 0;
    EXPECT_EQ(SmartPaintOnce::paint({"/a/Invoices", "/a/broken", "/a/Music"}, answering, history),
              SmartPaintOnce::someFailed);
    EXPECT_EQ(log.lines(log::Channel::standardOutput),
              (QStringList{"/a/Invoices: invoices", "/a/broken: not styled: its icon could not be drawn",
                           "/a/Music: music"}));
    EXPECT_EQ(answering.batches,
              (QList<QStringList>{{"/a/Invoices", "/a/Receipt"}, {"/a/Invoices", "/a/broken", "/a/Music"}}))
        << "one batch per run";

    // Styled, but not shown everywhere: the line says what is missing, and the run does not count as all styled.
    const QString noBus = QStringLiteral("not shown by GNOME file managers: no session bus");
    Answering partly(
        [&](const QString& path) -> Answer { return withGlyph(lucide(path.section(u'/', -1).toLower()), noBus); });
    log.clear();
    EXPECT_EQ(SmartPaintOnce::paint({"/a/Music"}, partly, history), SmartPaintOnce::someFailed);
    EXPECT_EQ(log.lines(log::Channel::standardOutput), QStringList{"/a/Music: music (" + noBus + ")"});

    log.clear();
    EXPECT_EQ(SmartPaintOnce::paint({}, answering, history), SmartPaintOnce::noneFound);
    EXPECT_EQ(log.lines(log::Channel::systemLog), QStringList{"No folders found."});
    EXPECT_EQ(answering.batches.size(), 2) << "nothing to style";
}

// A disk without room for the history: every folder still gets its line, the failure is said on standard
// error and the run ends with status 2; the history on disk stays as it was.
TEST(SmartPaintOnceTest, AHistoryThatCannotBeWrittenIsSaidAndTheRunEndsWithStatusTwo)
{
    test::FullDisk disk(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/io.velmar.pigmo2"));
    LogCapture log(false);
    ColorizationHistoryStore history;
    Answering answering([&history](const QString& path) -> Answer {
        const Result<SmartPaintOnce::Styled> styled = withGlyph(lucide(QStringLiteral("folder")));
        history.record(path, styled->style); // as the folder styler does
        return styled;
    });
    const auto folders = [](const QString& parent) {
        QStringList paths;
        for (int n = 0; n < 20; ++n)
            paths.append(QStringLiteral("/%1/Folder %2").arg(parent).arg(n));
        return paths;
    };
    ASSERT_EQ(SmartPaintOnce::paint(folders(QStringLiteral("before")), answering, history), SmartPaintOnce::allStyled);
    const QByteArray before = historyLog(history);
    log.clear();

    disk.fill(4096);
    EXPECT_EQ(SmartPaintOnce::paint(folders(QStringLiteral("full")), answering, history), SmartPaintOnce::someFailed);
    EXPECT_EQ(log.lines(log::Channel::standardOutput).size(), 20);
    EXPECT_EQ(
        log.lines(log::Channel::systemLog),
        (QStringList{"Error appending to chronological log: " + disk.reason(),
                     "Error saving folder styles: " + disk.reason(),
                     "The history could not be written: the folders styled above are recorded at the next start."}));
    EXPECT_EQ(historyLog(history), before);
}

TEST(SmartPaintOnceTest, ATerminationSignalLetsTheFolderBeingWrittenFinishAndStopsTheRest)
{
    LogCapture log(false);
    ColorizationHistoryStore history;
    Interrupted interrupted;
    EXPECT_EQ(SmartPaintOnce::paint({"/a/One", "/a/Two", "/a/Three", "/a/Four"}, interrupted, history),
              SmartPaintOnce::someFailed);
    EXPECT_EQ(interrupted.stops, 1);
    EXPECT_EQ(log.lines(log::Channel::standardOutput),
              (QStringList{"/a/One: first", "/a/Two: written", "/a/Three: not styled: the program was asked to end",
                           "/a/Four: not styled: the program was asked to end"}));
}

TEST(SmartPaintOnceTest, AFolderThatFailsInMidBatchIsRefusedWithItsReasonAndTheOthersGoOn)
{
    QTemporaryDir dir;
    const QString invoices = dir.filePath(QStringLiteral("Invoices"));
    const QString gone = dir.filePath(QStringLiteral("Music"));
    const QString photos = dir.filePath(QStringLiteral("Photos"));
    ASSERT_TRUE(QDir().mkdir(invoices));
    ASSERT_TRUE(QDir().mkdir(photos));
    LogCapture log(false);
    test::CoreServices services;
    FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons);
    EXPECT_EQ(SmartPaintOnce::paint({invoices, gone, photos}, styler, services.history), SmartPaintOnce::someFailed);
    const QStringList lines = log.lines(log::Channel::standardOutput);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(invoices + QStringLiteral(": ")));
    EXPECT_NE(lines[0], invoices + QStringLiteral(": no glyph")) << "the keyword index knows invoices";
    EXPECT_EQ(lines[1], gone + QStringLiteral(": not styled: its icon could not be set: No such file or directory"));
    EXPECT_TRUE(lines[2].startsWith(photos + QStringLiteral(": ")));
    EXPECT_FALSE(lines[2].contains(QStringLiteral("not styled")));
    EXPECT_TRUE(log.contains(QStringLiteral("[Smart] ❌ Failed to set icon on ") + gone)) << "warned, always";
    EXPECT_FALSE(log.contains(QStringLiteral("Applied smart icon"))) << "diagnostic lines are off";
    const QMap<QString, ColorizationData>& styles = services.history.folderStyles();
    EXPECT_TRUE(styles.contains(invoices) && styles.contains(photos)) << "the styler records what it styled";
    EXPECT_FALSE(styles.contains(gone)) << "a failure is not recorded";
    EXPECT_TRUE(services.attributes.readSettings(photos)) << "styled after the failure";
    EXPECT_EQ(storedIcons(invoices).size(), 1);
    EXPECT_EQ(storedIcons(photos).size(), 1);
    EXPECT_TRUE(storedIcons(gone).isEmpty()) << "no icon is left behind for a folder not styled";
}

TEST(SmartPaintOnceTest, TheFoldersOfARunAreOneBatch)
{
    QTemporaryDir dir;
    for (const char* name : {"Invoices", "Music", "Photos"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(name)));
    LogCapture log; // with the diagnostic lines, which count the siblings
    test::CoreServices services;
    FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons);
    QList<bool> recordedSoFar;
    QObject::connect(&styler, &FolderStyler::folderFinished, [&](const FolderStyler::Outcome&) {
        recordedSoFar.append(historyLog(services.history).contains(asLogged(dir.path())));
    });
    EXPECT_EQ(SmartPaintOnce::paint({dir.filePath("Invoices"), dir.filePath("Music"), dir.filePath("Photos")}, styler,
                                    services.history),
              SmartPaintOnce::allStyled);
    EXPECT_EQ(recordedSoFar, (QList<bool>{false, false, false})) << "the history is written when the run ends";
    EXPECT_EQ(historyLog(services.history).count(asLogged(dir.path())), 3);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 📊 2/2 siblings have colorization data")))
        << "each folder styled counts for the next";
}

TEST(SmartPaintOnceTest, ATerminationSignalEndsTheStylerAndWhatItStyledReachesTheDisk)
{
    QTemporaryDir dir;
    QStringList folders;
    for (const char* name : {"Invoices", "Music", "Photos", "Receipts"}) {
        folders.append(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(QDir().mkdir(folders.last()));
    }
    LogCapture log(false);
    test::CoreServices services;
    // The first folder waits for a keyword index still being built, so the others are still queued behind it
    // when the signal comes.
    services.smartIcons.setBuildDelayForTesting(std::chrono::milliseconds(1500));
    services.smartIcons.rebuildIndex();
    FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons);
    QTimer::singleShot(std::chrono::milliseconds(100), [] { std::raise(SIGTERM); });
    EXPECT_EQ(SmartPaintOnce::paint(folders, styler, services.history), SmartPaintOnce::someFailed);
    const QStringList lines = log.lines(log::Channel::standardOutput);
    ASSERT_EQ(lines.size(), folders.size());
    for (qsizetype i = 1; i < folders.size(); ++i) {
        EXPECT_EQ(lines[i], folders[i] + QStringLiteral(": not styled: the program was asked to end"));
        EXPECT_FALSE(services.attributes.readSettings(folders[i])) << "left alone";
        EXPECT_TRUE(storedIcons(folders[i]).isEmpty()) << "no icon drawn ahead is left behind";
    }
    // The first was being written, unless the signal came before it started: finished either way.
    const bool firstStyled = !lines[0].contains(QStringLiteral("not styled"));
    EXPECT_EQ(services.attributes.readSettings(folders[0]).has_value(), firstStyled);
    EXPECT_EQ(storedIcons(folders[0]).size(), firstStyled ? 1 : 0);
    EXPECT_EQ(historyLog(services.history).contains(asLogged(folders[0])), firstStyled) << "its history is on disk";
    EXPECT_FALSE(historyLog(services.history).contains(asLogged(folders[1])));
}
