#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

using pigmo::Icon;
using pigmo::IconsModel;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList names(const QList<Icon>& icons)
{
    QStringList result;
    for (const Icon& icon : icons)
        result.append(icon.name);
    return result;
}

class IconsModelTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    QTemporaryDir dir;
};

} // namespace

TEST_F(IconsModelTest, LucideEntriesAreTheSvgFilesNamedUpToTheirFirstPoint)
{
    for (const char* name : {"lucide/y.svg", "lucide/x.svg", "lucide/a.b.svg", "lucide/.hidden.svg", "lucide/notes.txt",
                             "lucide/deeper/z.svg"})
        writeFile(path(QString::fromLatin1(name)), "<svg/>");

    const QList<Icon> icons = IconsModel::loadLucideIcons(path(QStringLiteral("lucide")));

    EXPECT_EQ(names(icons), (QStringList{"hidden", "a", "x", "y"}));
    for (const Icon& icon : icons) {
        ASSERT_TRUE(icon.url);
        EXPECT_TRUE(icon.url->isLocalFile());
        EXPECT_TRUE(QFile::exists(icon.url->toLocalFile()));
        EXPECT_FALSE(icon.systemName || icon.emoji || icon.imageData);
    }
    EXPECT_EQ(icons[2].url->toLocalFile(), path(QStringLiteral("lucide/x.svg")));
}

TEST_F(IconsModelTest, LucideEntriesAreEveryEntryButFoldersEndingInSvgInAnyCase)
{
    for (const char* name : {"lucide/a.svg", "lucide/B.SVG", "lucide/c.Svg", "lucide/real/inner.svg"})
        writeFile(path(QString::fromLatin1(name)), "<svg/>");
    ASSERT_TRUE(QDir(path(QStringLiteral("lucide"))).mkpath(QStringLiteral("folder.svg")));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("lucide/real")), path(QStringLiteral("lucide/folder-link.svg"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("lucide/a.svg")), path(QStringLiteral("lucide/alias.svg"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("lucide/missing")), path(QStringLiteral("lucide/gone.svg"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("lucide/pipe.svg"))).constData(), 0600), 0);

    const QList<Icon> icons = IconsModel::loadLucideIcons(path(QStringLiteral("lucide")));

    // Folders, and links to folders, are left out; dangling links and special files count, as files do.
    EXPECT_EQ(names(icons), (QStringList{"B", "a", "alias", "c", "gone", "pipe"}));
    EXPECT_EQ(icons[1].url->toLocalFile(), path(QStringLiteral("lucide/a.svg")));
}

TEST_F(IconsModelTest, MissingLucideFolderIsReportedAndLeavesNoRandomIcon)
{
    pigmo::test::LogCapture log;
    const IconsModel model(dir.path());

    EXPECT_TRUE(model.lucideIcons().isEmpty());
    EXPECT_FALSE(model.randomIcon());
    EXPECT_FALSE(model.lucideIcon(QStringLiteral("folder")));
    ASSERT_EQ(log.lines(pigmo::log::Channel::systemLog).size(), 1); // an error: standard error, always
    EXPECT_TRUE(log.lines().first().startsWith("Error reading bundle resources: "));
}

TEST_F(IconsModelTest, SymbolLinesKeepTheirTextAndAreNamedInLowerCase)
{
    writeFile(path(QStringLiteral("symbols.txt")), "Folder.Fill\r\n  \nstar\u2028heart\n");

    const QList<Icon> icons = IconsModel::loadSFSymbols(path(QStringLiteral("symbols.txt")));

    ASSERT_EQ(icons.size(), 4); // the empty line inside "\r\n" and the final empty line give nothing
    EXPECT_EQ(icons[0].systemName, "Folder.Fill");
    EXPECT_EQ(icons[0].name, "folder.fill");
    EXPECT_EQ(icons[1].systemName, "  "); // a line of spaces is an entry
    EXPECT_EQ(icons[2].systemName, "star");
    EXPECT_EQ(icons[3].systemName, "heart");
    EXPECT_FALSE(icons[0].url || icons[0].emoji || icons[0].imageData);
}

TEST_F(IconsModelTest, EmojiLinesGiveTheEmojiAndItsDescription)
{
    writeFile(
        path(QStringLiteral("emojis.txt")),
        "# group: Smileys & Emotion\n"
        "\n"
        "1F600                                                  ; fully-qualified     # 😀 E1.0 grinning face\n"
        "263A FE0F                                              ; fully-qualified     # ☺️ E0.6 smiling face\n"
        "263A                                                   ; unqualified         # ☺ E0.6 smiling face\n"
        "1F468 200D 1F4BB ; fully-qualified # 👨‍💻 E4.0 man technologist\n"
        "no separator here # 🙂 E1.0 slightly smiling face\n"
        "1F642 ; fully-qualified no comment\n"
        "1F643 ; fully-qualified #   \n"
        "1F644 ; fully-qualified # 🙄\n");

    const QList<Icon> icons = IconsModel::loadEmojis(path(QStringLiteral("emojis.txt")));

    ASSERT_EQ(icons.size(), 4);
    EXPECT_EQ(icons[0].emoji, QString::fromUtf8("😀"));
    EXPECT_EQ(icons[0].name, "grinning face");
    EXPECT_EQ(icons[1].emoji, QString::fromUtf8("☺️"));
    EXPECT_EQ(icons[2].emoji, QString::fromUtf8("☺")); // the status is not looked at
    EXPECT_EQ(icons[3].emoji, QString::fromUtf8("👨‍💻"));
    EXPECT_EQ(icons[3].name, "man technologist");
    EXPECT_FALSE(icons[0].url || icons[0].systemName || icons[0].imageData);
}

TEST_F(IconsModelTest, EveryVersionMarkerLeavesTheDescriptionAndNothingElseDoes)
{
    writeFile(path(QStringLiteral("emojis.txt")), "1F600 ; fully-qualified # 😀 E1.0 face E13.1\tnew\n"
                                                  "1F601 ; fully-qualified # 😁 E1.0 Eleven E1 E.5 E2.x E1.0\n"
                                                  "1F602 ; fully-qualified # 😂 E1.0 pE1.0 after\n");

    const QList<Icon> icons = IconsModel::loadEmojis(path(QStringLiteral("emojis.txt")));

    ASSERT_EQ(icons.size(), 3);
    EXPECT_EQ(icons[0].name, "face new");
    EXPECT_EQ(icons[1].name, "Eleven E1 E.5 E2.x E1.0") << "a marker needs its white space after it";
    EXPECT_EQ(icons[2].name, "pafter") << "a marker is removed wherever it stands";
}

TEST_F(IconsModelTest, MissingOrUndecodableTextsGiveEmptyListsSilently)
{
    writeFile(path(QStringLiteral("catalogues/emojis.txt")), "1F600 ; fully-qualified # \xff\xfe E1.0 broken\n");
    pigmo::test::LogCapture log;

    EXPECT_TRUE(IconsModel::loadSFSymbols(path(QStringLiteral("catalogues/sf_symbols.txt"))).isEmpty());
    EXPECT_TRUE(IconsModel::loadEmojis(path(QStringLiteral("catalogues/emojis.txt"))).isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(IconsModelTest, LibraryCodesAndRandomPick)
{
    for (const char* name : {"lucide/a.svg", "lucide/b.svg", "lucide/c.svg"})
        writeFile(path(QString::fromLatin1(name)), "<svg/>");
    writeFile(path(QStringLiteral("catalogues/sf_symbols.txt")), "folder\n");
    writeFile(path(QStringLiteral("catalogues/emojis.txt")), "1F600 ; fully-qualified # 😀 E1.0 grinning face\n");
    const IconsModel model(dir.path());

    EXPECT_EQ(names(model.icons(pigmo::IconLibrary::lucide)), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(names(model.icons(pigmo::IconLibrary::emoji)), QStringList{"grinning face"});
    EXPECT_EQ(names(model.icons(pigmo::IconLibrary::sf)), QStringList{"folder"});
    EXPECT_TRUE(model.icons(pigmo::IconLibrary::custom).isEmpty());

    QSet<QString> drawn;
    for (int i = 0; i < 300; ++i)
        drawn.insert(model.randomIcon().value().name);
    EXPECT_EQ(drawn, (QSet<QString>{"a", "b", "c"}));
    EXPECT_EQ(model.lucideIcon(QStringLiteral("b")), model.lucideIcons()[1]);
}

TEST(IconsModelBundleTest, TheBundleGivesItsThreeCatalogues)
{
    const IconsModel bundle(pigmo::BundleResources::directory());
    EXPECT_EQ(bundle.lucideIcons(),
              IconsModel::loadLucideIcons(pigmo::BundleResources::path(QStringLiteral("lucide"))));
    EXPECT_TRUE(bundle.lucideIcon(QStringLiteral("folder")));
    EXPECT_TRUE(
        bundle.sfIcons().contains(Icon{{}, QStringLiteral("folder.open"), {}, QStringLiteral("folder.open"), {}}));
    ASSERT_FALSE(bundle.emojisIcons().isEmpty());
    EXPECT_EQ(bundle.emojisIcons().first().emoji, QString::fromUtf8("😀"));
    EXPECT_EQ(bundle.emojisIcons().first().name, "grinning face");
}
