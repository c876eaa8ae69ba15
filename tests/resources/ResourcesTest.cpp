// The bundle data under resources/: the generated keyword files and catalogues must have the shapes the
// program reads, point only at icons that ship, and the artwork must fit the renderer.

#include "storage/BundleResources.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QColor>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <string>
#include <utility>

using namespace pigmo;
using nlohmann::json;

namespace {

const QStringList languageCodes = {QStringLiteral("en"),      QStringLiteral("fr"), QStringLiteral("it"),
                                   QStringLiteral("de"),      QStringLiteral("es"), QStringLiteral("pt-BR"),
                                   QStringLiteral("zh-Hans"), QStringLiteral("ja"), QStringLiteral("ko"),
                                   QStringLiteral("ru"),      QStringLiteral("cs")};

QByteArray readResource(const QString& relative)
{
    QFile file(BundleResources::path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

json readJson(const QString& relative)
{
    const QByteArray text = readResource(relative);
    return json::parse(text.begin(), text.end(), nullptr, false);
}

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

// Lower-cased, diacritics folded and trimmed: the form in which folder names are compared.
QString folded(const QString& name)
{
    QString out;
    for (const QChar c : name.toLower().normalized(QString::NormalizationForm_D))
        if (!c.isMark())
            out.append(c);
    return out.trimmed();
}

int graphemeCount(const QString& word)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

// Emoji of the catalogue, read the way the catalogue reader takes them: the first piece after the
// first "#" of every line that has ";" and "#" and is no comment.
QSet<QString> catalogueEmoji()
{
    QSet<QString> emoji;
    for (const QString& line : QString::fromUtf8(readResource(QStringLiteral("catalogues/emojis.txt"))).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#') || !line.contains(u';') || !line.contains(u'#'))
            continue;
        const QStringList pieces = line.mid(line.indexOf(u'#') + 1).split(u' ', Qt::SkipEmptyParts);
        if (!pieces.isEmpty())
            emoji.insert(pieces.first());
    }
    return emoji;
}

QSet<QString> denyListedFlagNames()
{
    QFile file(QStringLiteral(PIGMO_FLAG_DENY_LIST));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << PIGMO_FLAG_DENY_LIST;
    QSet<QString> names;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString name = line.section(u'#', 0, 0).trimmed();
        if (!name.isEmpty())
            names.insert(name);
    }
    return names;
}

// A keyword file: object of icon -> object of keyword -> integer relevance 1...3. Every keyword is a
// single lower-case word of at least two characters, as the program's tokeniser produces them.
void expectKeywordFileShape(const json& file, const QString& name)
{
    static const QRegularExpression separator(QStringLiteral("[\\s\\-_.]"));
    ASSERT_TRUE(file.is_object()) << name.toStdString();
    ASSERT_FALSE(file.empty()) << name.toStdString();
    for (const auto& [icon, keywords] : file.items()) {
        ASSERT_TRUE(keywords.is_object()) << name.toStdString() << " " << icon;
        EXPECT_FALSE(keywords.empty()) << name.toStdString() << " " << icon;
        for (const auto& [keyword, relevance] : keywords.items()) {
            ASSERT_TRUE(relevance.is_number_integer()) << name.toStdString() << " " << icon << " " << keyword;
            EXPECT_GE(relevance.get<int>(), 1) << icon << " " << keyword;
            EXPECT_LE(relevance.get<int>(), 3) << icon << " " << keyword;
            const QString word = text(keyword);
            EXPECT_EQ(word, word.toLower()) << icon << " " << keyword;
            EXPECT_GE(graphemeCount(word), 2) << icon << " " << keyword;
            EXPECT_FALSE(word.contains(separator)) << icon << " " << keyword;
        }
    }
}

bool hasKeyword(const json& file, const std::string& keyword)
{
    for (const auto& [icon, keywords] : file.items())
        if (keywords.contains(keyword))
            return true;
    return false;
}

} // namespace

TEST(ResourcesTest, EveryLanguageHasBothKeywordFilesInTheirShape)
{
    for (const QString& code : languageCodes) {
        for (const QString& kind : {QStringLiteral("lucide_keywords_"), QStringLiteral("emoji_keywords_")}) {
            const QString name = QStringLiteral("keywords/") + kind + code + QStringLiteral(".json");
            SCOPED_TRACE(name.toStdString());
            expectKeywordFileShape(readJson(name), name);
        }
    }
}

TEST(ResourcesTest, LucideKeywordsNameShippedIconsAndEmojiKeywordsCatalogueEmoji)
{
    const QSet<QString> emoji = catalogueEmoji();
    for (const QString& code : languageCodes) {
        const json lucide = readJson(QStringLiteral("keywords/lucide_keywords_%1.json").arg(code));
        for (const auto& [icon, keywords] : lucide.items())
            EXPECT_TRUE(QFileInfo::exists(BundleResources::path(QStringLiteral("lucide/%1.svg").arg(text(icon)))))
                << code.toStdString() << ": " << icon;
        const json emojiKeywords = readJson(QStringLiteral("keywords/emoji_keywords_%1.json").arg(code));
        for (const auto& [key, keywords] : emojiKeywords.items())
            EXPECT_TRUE(emoji.contains(text(key))) << code.toStdString() << ": " << key;
    }
}

TEST(ResourcesTest, FolderNamesInSeveralLanguagesAreKeywords)
{
    const auto expectKeyword = [](const char* code, const std::string& keyword) {
        const json lucide = readJson(QStringLiteral("keywords/lucide_keywords_%1.json").arg(QLatin1String(code)));
        EXPECT_TRUE(hasKeyword(lucide, keyword)) << code << ": " << keyword;
    };
    expectKeyword("de", "rechnungen");
    expectKeyword("de", "steuern");
    expectKeyword("ru", "фотографии");
    expectKeyword("ja", "写真");
    expectKeyword("fr", "recettes");
    expectKeyword("en", "invoices");
}

TEST(ResourcesTest, CountryFlagsAreCatalogueFlagsWithoutDenyListedNames)
{
    const json flags = readJson(QStringLiteral("keywords/country_flags.json"));
    ASSERT_TRUE(flags.is_object());
    EXPECT_GT(flags.size(), 200u);
    const QSet<QString> emoji = catalogueEmoji();
    const QSet<QString> denied = denyListedFlagNames();
    EXPECT_TRUE(denied.contains(QStringLiteral("cad")));
    for (const auto& [flag, names] : flags.items()) {
        EXPECT_TRUE(emoji.contains(text(flag))) << flag;
        ASSERT_TRUE(names.is_array()) << flag;
        EXPECT_FALSE(names.empty()) << flag;
        for (const auto& name : names) {
            ASSERT_TRUE(name.is_string()) << flag;
            EXPECT_FALSE(denied.contains(folded(text(name.get<std::string>())))) << flag << " " << name;
        }
    }
    const auto namesOf = [&flags](const char* flag) { return flags.value(flag, json::array()).dump(); };
    EXPECT_NE(namesOf("🇩🇪").find("Deutschland"), std::string::npos);
    EXPECT_NE(namesOf("🇨🇿").find("Česko"), std::string::npos);
}

TEST(ResourcesTest, LucideFolderHoldsOnlySvgFilesIncludingTheNamesTheProgramUses)
{
    QDirIterator it(BundleResources::path(QStringLiteral("lucide")),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    int count = 0;
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        EXPECT_TRUE(info.isFile()) << info.fileName().toStdString();
        EXPECT_EQ(info.suffix(), QStringLiteral("svg")) << info.fileName().toStdString();
        EXPECT_FALSE(info.completeBaseName().contains(u'.')) << info.fileName().toStdString();
        ++count;
    }
    EXPECT_GT(count, 1500);
    for (const char* name :
         {"building-2", "trash-2", "paintbrush", "rocket", "video", "audio-lines", "cat", "atom", "folder-down",
          "cooking-pot", "file-text", "monitor", "square-arrow-down", "wand-sparkles", "shuffle", "folder"}) {
        const QByteArray svg = readResource(QStringLiteral("lucide/%1.svg").arg(QLatin1String(name)));
        EXPECT_TRUE(svg.contains("<svg")) << name;
    }
}

TEST(ResourcesTest, EmojiCatalogueHoldsOnlyFullyQualifiedEmoji)
{
    int count = 0;
    for (const QString& line : QString::fromUtf8(readResource(QStringLiteral("catalogues/emojis.txt"))).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        EXPECT_EQ(line.section(u';', 1).section(u'#', 0, 0).trimmed(), QStringLiteral("fully-qualified"))
            << line.toStdString();
        ++count;
    }
    EXPECT_GT(count, 3000);
    const QSet<QString> emoji = catalogueEmoji();
    EXPECT_TRUE(emoji.contains(QStringLiteral("😀")));
    EXPECT_TRUE(emoji.contains(QStringLiteral("☺️"))); // written with its variation selector
    EXPECT_FALSE(emoji.contains(QStringLiteral("☺")));
}

TEST(ResourcesTest, SymbolNamesResolveToInstalledAdwaitaSymbolicIcons)
{
    const QStringList lines =
        QString::fromUtf8(readResource(QStringLiteral("catalogues/sf_symbols.txt"))).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 300);
    QSet<QString> installed;
    QDirIterator it(QStringLiteral("/usr/share/icons/Adwaita"), {QStringLiteral("*-symbolic.svg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        installed.insert(QFileInfo(it.next()).fileName().chopped(int(sizeof("-symbolic.svg") - 1)));
    ASSERT_FALSE(installed.isEmpty()) << "adwaita-icon-theme is not installed";
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(u'-')) << line.toStdString();
        EXPECT_TRUE(installed.contains(QString(line).replace(u'.', u'-'))) << line.toStdString();
    }
    EXPECT_TRUE(lines.contains(QStringLiteral("folder.open")));
}

TEST(ResourcesTest, BaseImagesAreOneFolderShapeOnATransparentSurround)
{
    const QImage neutral(BundleResources::path(QStringLiteral("images/folder-neutral.png")));
    const QImage blue(BundleResources::path(QStringLiteral("images/folder-blue.png")));
    for (const QImage* image : {&neutral, &blue}) {
        ASSERT_EQ(image->size(), QSize(512, 512));
        ASSERT_TRUE(image->hasAlphaChannel());
        for (int i = 0; i < 512; ++i)
            for (int edge : {0, 1, 510, 511}) {
                EXPECT_EQ(qAlpha(image->pixel(i, edge)), 0) << i << "," << edge;
                EXPECT_EQ(qAlpha(image->pixel(edge, i)), 0) << edge << "," << i;
            }
        EXPECT_EQ(qAlpha(image->pixel(256, 286)), 255) << "the glyph centre lies on the folder";
    }
    for (int y = 0; y < 512; y += 4)
        for (int x = 0; x < 512; x += 4)
            ASSERT_EQ(qAlpha(neutral.pixel(x, y)), qAlpha(blue.pixel(x, y))) << x << "," << y;

    const QColor grey = neutral.pixelColor(256, 286);
    EXPECT_LE(grey.hsvSaturation(), 5) << "the neutral folder carries no hue of its own";
    const QColor front = blue.pixelColor(256, 286);
    EXPECT_NEAR(front.hslHue(), 195, 6);
}

TEST(ResourcesTest, ApplicationAndTrayIconsExistAtTheirSizes)
{
    EXPECT_EQ(QImage(BundleResources::path(QStringLiteral("images/app-icon.png"))).size(), QSize(512, 512));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QImage icon(
            BundleResources::path(QStringLiteral("images/hicolor/%1x%1/apps/io.velmar.pigmo2.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }
    const QImage tray(BundleResources::path(QStringLiteral("images/menu-bar-icon.png")));
    ASSERT_FALSE(tray.isNull());
    bool hasLight = false;
    bool hasDark = false;
    for (int y = 0; y < tray.height(); ++y)
        for (int x = 0; x < tray.width(); ++x) {
            const QColor c = tray.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            EXPECT_LE(c.hsvSaturation(), 2) << "monochrome at " << x << "," << y;
            if (c.alpha() == 255 && c.lightness() > 180)
                hasLight = true;
            if (c.alpha() == 255 && c.lightness() < 80)
                hasDark = true;
        }
    EXPECT_TRUE(hasLight && hasDark) << "a light body and a dark rim keep it readable on any panel";
    for (const char* svg : {"folder-neutral", "folder-blue", "app-icon", "menu-bar-icon"})
        EXPECT_TRUE(readResource(QStringLiteral("images/%1.svg").arg(QLatin1String(svg))).contains("<svg")) << svg;
}

TEST(ResourcesTest, TutorialAnimationsLoopAndStyleImagesAreFolders)
{
    qint64 total = 0;
    // Drawn at twice the size they are shown at: the tutorials at 1.6, the watcher's about as high as wide.
    const std::pair<const char*, QSize> animations[] = {{"onboarding_drag", QSize(1440, 900)},
                                                        {"onboarding_rightclick", QSize(1440, 900)},
                                                        {"onboarding_watcher", QSize(900, 1000)}};
    for (const auto& [name, size] : animations) {
        const QString path = BundleResources::path(QStringLiteral("images/%1.webp").arg(QLatin1String(name)));
        total += QFileInfo(path).size();
        QImageReader reader(path);
        ASSERT_TRUE(reader.supportsAnimation()) << name << ": " << reader.errorString().toStdString();
        EXPECT_EQ(reader.loopCount(), -1) << name << " loops forever";
        int frames = 0;
        QImage first;
        QImage middle;
        while (reader.canRead()) {
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << name << " frame " << frames;
            EXPECT_EQ(image.size(), size) << name;
            if (frames == 0)
                first = image;
            if (frames == 20)
                middle = image;
            ++frames;
        }
        EXPECT_GT(frames, 20) << name;
        EXPECT_NE(first, middle) << name << " moves";
    }
    for (const char* kind : {"icon", "emoji"})
        for (int i = 1; i <= 3; ++i) {
            const QString path = BundleResources::path(
                QStringLiteral("images/onboarding-style-%1-%2.png").arg(QLatin1String(kind)).arg(i));
            total += QFileInfo(path).size();
            const QImage image(path);
            ASSERT_EQ(image.size(), QSize(256, 256)) << kind << i;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << kind << i;
            EXPECT_EQ(qAlpha(image.pixel(128, 143)), 255) << kind << i << ": a folder in the middle";
        }
    EXPECT_LT(total, 6 * 1024 * 1024);
}

TEST(ResourcesTest, BundleDataStaysUnderTwentyMegabytes)
{
    qint64 total = 0;
    QDirIterator it(BundleResources::directory(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    EXPECT_GT(total, 0);
    EXPECT_LT(total, 20 * 1024 * 1024);
}
