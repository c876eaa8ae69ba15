#include "base/LocalPath.h"
#include "support/ScratchTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

using namespace pigmo;

TEST(LocalPathTest, ValidUtf8IsReadAndWrittenAsQtDoes)
{
    for (const char* text : {"", "/home/me/Music", "/tmp/Été 2024 – vacances", "/x/新建文件夹/🎵", "a\x7f"}) {
        const QByteArray bytes(text);
        EXPECT_EQ(decodeLocalPath(bytes), QString::fromUtf8(bytes)) << text;
        EXPECT_EQ(encodeLocalPath(QString::fromUtf8(bytes)), bytes) << text;
    }
}

TEST(LocalPathTest, EveryOtherNameSurvivesTheRoundTrip)
{
    const QByteArray names[] = {
        "/tmp/caf\xe9",                      // Latin-1
        "\xff\xfe",                          // no lead byte at all
        "a\xc3",                             // cut short at the end
        "\xe2\x82x",                         // cut short before another character
        "\xc0\x80",                          // overlong NUL
        "\xe0\x80\xaf",                      // overlong slash
        "\xed\xa0\x80\xed\xb0\x80",          // a surrogate pair written as UTF-8
        "\xf4\x90\x80\x80",                  // above U+10FFFF
        "\xf5\x80\x80\x80",                  // no such lead byte
        "ok \xc3\xa9 \xe9 \xf0\x9f\x8e\xb5", // valid and not, mixed
        "\xef\xbb\xbfname",                  // a byte order mark is part of the name
        "\xff\xef\xbb\xbf",                  // also after a byte that is no UTF-8
        QByteArray("a\0b", 3),               // the wire form may carry any byte
    };
    for (const QByteArray& bytes : names) {
        const QString text = decodeLocalPath(bytes);
        EXPECT_EQ(encodeLocalPath(text), bytes) << bytes.toHex().constData();
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << bytes.toHex().constData();
    }
    // Each byte that belongs to no valid sequence stands for itself; the valid ones around it are read.
    EXPECT_EQ(decodeLocalPath("caf\xe9"), QStringLiteral("caf") + QChar(0xDCE9));
    EXPECT_EQ(decodeLocalPath("\xe9t\xc3\xa9"), QChar(0xDCE9) + QStringLiteral("té"));
    EXPECT_EQ(decodeLocalPath("\xe2\x82x"), QString(QChar(0xDCE2)) + QChar(0xDC82) + u'x');
}

TEST(LocalPathTest, AFolderWhoseNameIsNotUtf8IsFoundAgainByItsText)
{
    const test::ScratchTree tree;
    const QByteArray name("Rechnungen \xe4 2024"); // ISO 8859-1, as an old archive leaves it
    const QByteArray path = encodeLocalPath(tree.path()) + '/' + name;
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0);

    DIR* directory = ::opendir(encodeLocalPath(tree.path()).constData());
    ASSERT_TRUE(directory);
    QString listed;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] != '.')
            listed = decodeLocalPath(entry->d_name);
    }
    ::closedir(directory);
    EXPECT_EQ(listed, QStringLiteral("Rechnungen ") + QChar(0xDCE4) + QStringLiteral(" 2024"));
    struct stat status {};
    EXPECT_EQ(::stat(encodeLocalPath(tree.path() + u'/' + listed).constData(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}
