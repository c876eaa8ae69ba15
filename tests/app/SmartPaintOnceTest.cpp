#include "app/SmartPaintOnce.h"

#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

using namespace pigmo;
using test::LogCapture;

namespace {

ColorizationData withGlyph(std::optional<Icon> icon)
{
    return ColorizationData{HSL{200, 60, 50}, 0.6, std::move(icon), 170.0, IconStyle::vibrant()};
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

// The stores a run records its history in and reads the siblings' styles through.
struct Stores {
    ColorizationHistoryStore history;
    const ExtendedAttributesManager attributes{};

    int paint(const QStringList& folders, const SmartPaintOnce::StyleFolder& style)
    {
        return SmartPaintOnce::paint(folders, style, history, attributes);
    }
};

} // namespace

TEST(SmartPaintOnceTest, OneLinePerFolderWithItsGlyphOrWhyNot)
{
    const QString music = QStringLiteral("/home/u/Music");
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(emoji(QStringLiteral("🎵")))), music + QStringLiteral(": 🎵"));
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(lucide(QStringLiteral("receipt")))),
              music + QStringLiteral(": receipt"));
    EXPECT_EQ(SmartPaintOnce::line(music, withGlyph(std::nullopt)), music + QStringLiteral(": no glyph"));
    EXPECT_EQ(
        SmartPaintOnce::line(music, Result<ColorizationData>::failure(QStringLiteral("its icon could not be set"))),
        music + QStringLiteral(": not styled: its icon could not be set"));
}

TEST(SmartPaintOnceTest, StylesInOrderAndAnswersWithTheStatus)
{
    LogCapture log(false);
    Stores stores;
    QStringList asked;
    const auto style = [&asked](const QString& path, SmartSiblingAnalysis::Batch&) -> Result<ColorizationData> {
        asked.append(path);
        if (path.endsWith(QStringLiteral("broken")))
            return Result<ColorizationData>::failure(QStringLiteral("its icon could not be drawn"));
        return withGlyph(lucide(path.section(u'/', -1).toLower()));
    };

    EXPECT_EQ(stores.paint({"/a/Invoices", "/a/Receipt"}, style), SmartPaintOnce::allStyled);
    EXPECT_EQ(log.lines(log::Channel::standardOutput), (QStringList{"/a/Invoices: invoices", "/a/Receipt: receipt"}));
    EXPECT_TRUE(log.lines(log::Channel::systemLog).isEmpty());

    log.clear();
    EXPECT_EQ(stores.paint({"/a/broken", "/a/Music"}, style), SmartPaintOnce::someFailed);
    EXPECT_EQ(log.lines(log::Channel::standardOutput),
              (QStringList{"/a/broken: not styled: its icon could not be drawn", "/a/Music: music"}));
    EXPECT_EQ(asked, (QStringList{"/a/Invoices", "/a/Receipt", "/a/broken", "/a/Music"}));

    log.clear();
    EXPECT_EQ(stores.paint({}, style), SmartPaintOnce::noneFound);
    EXPECT_EQ(log.lines(log::Channel::systemLog), QStringList{"No folders found."});
}

TEST(SmartPaintOnceTest, ATerminationSignalLetsTheCurrentFolderFinishAndStopsTheRest)
{
    LogCapture log(false);
    Stores stores;
    QStringList styled;
    const auto style = [&styled](const QString& path, SmartSiblingAnalysis::Batch&) -> Result<ColorizationData> {
        styled.append(path);
        std::raise(SIGTERM); // arrives while this folder is being styled
        return withGlyph(std::nullopt);
    };
    EXPECT_EQ(stores.paint({"/a/One", "/a/Two", "/a/Three"}, style), SmartPaintOnce::someFailed);
    EXPECT_EQ(styled, QStringList{"/a/One"});
    EXPECT_EQ(log.lines(log::Channel::standardOutput),
              (QStringList{"/a/One: no glyph", "/a/Two: not styled: the program was asked to end",
                           "/a/Three: not styled: the program was asked to end"}));
}

TEST(SmartPaintOnceTest, TheSmartStyleOfAFolderThatWentAwayIsRefusedWithItsReason)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("Music"));
    const QString music = dir.filePath(QStringLiteral("Invoices"));
    ASSERT_TRUE(QDir().mkdir(music));
    LogCapture log(false);
    test::CoreServices services;
    FolderStyler styler(services.history, services.attributes, services.smartIcons);
    EXPECT_EQ(
        SmartPaintOnce::paint({gone, music}, SmartPaintOnce::through(styler), services.history, services.attributes),
        SmartPaintOnce::someFailed);
    const QStringList lines = log.lines(log::Channel::standardOutput);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], gone + QStringLiteral(": not styled: its icon could not be set"));
    EXPECT_TRUE(lines[1].startsWith(music + QStringLiteral(": ")));
    EXPECT_NE(lines[1], music + QStringLiteral(": no glyph")) << "the keyword index knows invoices";
    EXPECT_TRUE(log.contains(QStringLiteral("[Smart] ❌ Failed to set icon on ") + gone)) << "warned, always";
    EXPECT_FALSE(log.contains(QStringLiteral("Applied smart icon"))) << "diagnostic lines are off";
    const QMap<QString, ColorizationData>& styles = services.history.folderStyles();
    EXPECT_TRUE(styles.contains(music)) << "the styler records what it styled";
    EXPECT_FALSE(styles.contains(gone)) << "a failure is not recorded";
}

TEST(SmartPaintOnceTest, TheFoldersOfARunAreOneBatch)
{
    QTemporaryDir dir;
    for (const char* name : {"Invoices", "Music", "Photos"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(name)));
    LogCapture log; // with the diagnostic lines, which count the siblings
    test::CoreServices services;
    const QString logFile =
        services.history.storageDirectory() + QStringLiteral("/") + ColorizationHistoryStore::logFileName;
    const QByteArray escapedParent = dir.path().toUtf8().replace("/", "\\/"); // as the log writes it
    FolderStyler styler(services.history, services.attributes, services.smartIcons);
    QList<bool> recordedSoFar;
    QObject::connect(&styler, &FolderStyler::folderFinished, [&](const FolderStyler::Outcome&) {
        QFile file(logFile);
        recordedSoFar.append(file.open(QIODevice::ReadOnly) && file.readAll().contains(escapedParent));
    });
    EXPECT_EQ(SmartPaintOnce::paint({dir.filePath("Invoices"), dir.filePath("Music"), dir.filePath("Photos")},
                                    SmartPaintOnce::through(styler), services.history, services.attributes),
              SmartPaintOnce::allStyled);
    EXPECT_EQ(recordedSoFar, (QList<bool>{false, false, false})) << "the history is written when the run ends";
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count(escapedParent), 3);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 📊 2/2 siblings have colorization data")))
        << "each folder styled counts for the next";
}
