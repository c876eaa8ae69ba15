#include "smart/KeywordFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

using Keywords = std::vector<std::pair<QString, int>>;

// Every text is read twice: as written, and after a UTF-8 byte order mark, which sends it down the
// slower reader for texts the fast one refuses. Both must agree.
std::vector<QByteArray> bothReaders(const QByteArray& json)
{
    return {json, QByteArray("\xEF\xBB\xBF") + json};
}

} // namespace

TEST(KeywordFilesTest, KeywordFileKeepsOrderDuplicatesAndExactKeywords)
{
    const QByteArray json = R"({"folder": {"Folder ": 3, "dossier": 1, "Folder ": 5},
                                "café": {}, "a-b": {"x": -2}})";
    for (const QByteArray& text : bothReaders(json)) {
        const std::optional<KeywordFile> file = parseKeywordFile(text);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->entries.size(), 3u);
        EXPECT_EQ(file->entries[0].name, "folder");
        EXPECT_EQ(file->entries[0].keywords, (Keywords{{"Folder ", 3}, {"dossier", 1}, {"Folder ", 5}}));
        EXPECT_EQ(file->entries[1].name, QString::fromUtf8("café"));
        EXPECT_TRUE(file->entries[1].keywords.empty());
        EXPECT_EQ(file->entries[2].keywords, (Keywords{{"x", -2}}));
    }
}

TEST(KeywordFilesTest, RelevancesAreIntegersClampedToInt)
{
    const std::vector<std::pair<QByteArray, int>> cases = {
        {"7", 7},
        {"2.0", 2},
        {"1e3", 1000},
        {"-0", 0},
        {"4294967296", std::numeric_limits<int>::max()},
        {"-4294967296", std::numeric_limits<int>::min()},
        {"18446744073709551615", std::numeric_limits<int>::max()},
        {"1e300", std::numeric_limits<int>::max()},
        {"123456789012345678901234567890", std::numeric_limits<int>::max()}, // beyond 64 bits
    };
    for (const auto& [number, expected] : cases) {
        for (const QByteArray& text : bothReaders(R"({"i": {"k": )" + number + "}}")) {
            const std::optional<KeywordFile> file = parseKeywordFile(text);
            ASSERT_TRUE(file) << text.toStdString();
            EXPECT_EQ(file->entries.at(0).keywords.at(0).second, expected) << text.toStdString();
        }
    }
}

TEST(KeywordFilesTest, AnyDeviationFromTheShapeRejectsTheWholeFile)
{
    const std::vector<QByteArray> rejected = {
        "",
        "[]",
        "3",
        R"("text")",
        R"({"i": 3})",
        R"({"i": []})",
        R"({"i": {"k": 1.5}})",
        R"({"i": {"k": "1"}})",
        R"({"i": {"k": null}})",
        R"({"i": {"k": true}})",
        R"({"i": {"k": {}}})",
        R"({"i": {"k": 1}, "j": {"k": [1]}})",
        R"({"i": {"k": 1}} {})",
        R"({"i": {"k": 1})",
        "{\"i\": {\"\xFF\": 1}}", // not UTF-8
    };
    for (const QByteArray& json : rejected) {
        for (const QByteArray& text : bothReaders(json))
            EXPECT_FALSE(parseKeywordFile(text)) << text.toStdString();
    }
}

namespace {

// The numbered form spelled out again as keywords, to compare it with the plain reading.
std::vector<std::pair<QString, Keywords>> spelledOut(const NumberedKeywordFile& file)
{
    std::vector<std::pair<QString, Keywords>> entries;
    for (const NumberedKeywordFile::Entry& entry : file.entries) {
        Keywords keywords;
        for (const auto& [word, relevance] : entry.keywords)
            keywords.emplace_back(file.words.at(word), relevance);
        entries.emplace_back(entry.name, keywords);
    }
    return entries;
}

std::vector<std::pair<QString, Keywords>> spelledOut(const KeywordFile& file)
{
    std::vector<std::pair<QString, Keywords>> entries;
    for (const KeywordFile::Entry& entry : file.entries)
        entries.emplace_back(entry.name, entry.keywords);
    return entries;
}

} // namespace

TEST(KeywordFilesTest, NumberedKeywordFileStoresEachKeywordOnceAndReadsAsThePlainOne)
{
    const QByteArray json = R"({"folder": {"Folder ": 3, "dossier": 1, "Folder ": 5, "café": 2},
                                "café": {}, "a-b": {"dossier": -2, "Café": 1e3, "café": 4}})";
    for (const QByteArray& text : bothReaders(json)) {
        const std::optional<NumberedKeywordFile> file = parseNumberedKeywordFile(text);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->words,
                  (std::vector<QString>{"Folder ", "dossier", QString::fromUtf8("café"), QString::fromUtf8("Café")}));
        EXPECT_EQ(spelledOut(*file), spelledOut(parseKeywordFile(text).value()));
    }
}

TEST(KeywordFilesTest, NumberedKeywordFileRejectsWhatThePlainOneRejects)
{
    for (const QByteArray& json : {QByteArray(R"({"i": {"k": 1.5}})"), QByteArray(R"({"i": [1]})"),
                                   QByteArray("{\"i\": {\"\xFF\": 1}}"), QByteArray(R"({"i": {"k": 1})")}) {
        for (const QByteArray& text : bothReaders(json))
            EXPECT_FALSE(parseNumberedKeywordFile(text)) << text.toStdString();
    }
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    EXPECT_FALSE(readNumberedKeywordFile(directory.filePath("absent.json")));
    EXPECT_FALSE(readNumberedKeywordFile(directory.path()));
}

TEST(KeywordFilesTest, CountryFlagsFileMapsFlagsToNameLists)
{
    const QByteArray json = R"({"🇩🇪": ["Deutschland", "Germany"], "🇫🇷": []})";
    for (const QByteArray& text : bothReaders(json)) {
        const std::optional<CountryFlagsFile> file = parseCountryFlagsFile(text);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->flags.size(), 2u);
        EXPECT_EQ(file->flags[0].first, QString::fromUtf8("🇩🇪"));
        EXPECT_EQ(file->flags[0].second, QStringList({"Deutschland", "Germany"}));
        EXPECT_TRUE(file->flags[1].second.isEmpty());
    }
    for (const QByteArray& json : {QByteArray(R"({"x": {"a": 1}})"), QByteArray(R"({"x": [1]})"),
                                   QByteArray(R"({"x": [["a"]]})"), QByteArray(R"({"x": "a"})")}) {
        for (const QByteArray& text : bothReaders(json))
            EXPECT_FALSE(parseCountryFlagsFile(text)) << text.toStdString();
    }
}

TEST(KeywordFilesTest, MissingOrUnreadableFilesGiveNothing)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    EXPECT_FALSE(readKeywordFile(directory.filePath("absent.json")));
    EXPECT_FALSE(readCountryFlagsFile(directory.path())); // a directory is not a readable file

    const QString path = directory.filePath("keywords.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"i": {"k": 2}})");
    file.close();
    ASSERT_TRUE(readKeywordFile(path));
    EXPECT_EQ(readKeywordFile(path)->entries.at(0).keywords, (Keywords{{"k", 2}}));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    if (QFile(path).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    EXPECT_FALSE(readKeywordFile(path));
}
