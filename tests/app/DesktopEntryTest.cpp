// The desktop entry as `cmake --install` puts it in place: valid for desktop-file-validate, starting the
// installed program, and never a candidate opener for folders (a desktop file that claims inode/directory
// becomes what `xdg-open FOLDER` starts).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

class DesktopEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix = new QTemporaryDir;
        QProcess install;
        install.start(QStringLiteral(PIGMO_CMAKE_COMMAND),
                      {"--install", QStringLiteral(PIGMO_BUILD_DIR), "--prefix", prefix->path()});
        ASSERT_TRUE(install.waitForFinished(60'000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    }

    static void TearDownTestSuite()
    {
        delete prefix;
        prefix = nullptr;
    }

    static QString installed(const QString& relative) { return QDir(prefix->path()).filePath(relative); }

    static QStringList entryLines()
    {
        QFile file(installed(QStringLiteral("share/applications/io.velmar.pigmo2.desktop")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    static inline QTemporaryDir* prefix = nullptr;
};

} // namespace

TEST_F(DesktopEntryTest, IsValidAndStartsTheInstalledProgram)
{
    const QString entry = installed(QStringLiteral("share/applications/io.velmar.pigmo2.desktop"));
    ASSERT_TRUE(QFile::exists(entry));
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {entry});
    ASSERT_TRUE(validate.waitForFinished(10'000)) << "desktop-file-validate (desktop-file-utils) is missing";
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAll(), QByteArray()) << "no warning or hint either";

    const QStringList lines = entryLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=pigmo2 %U")));
    EXPECT_TRUE(QFile::exists(installed(QStringLiteral("bin/pigmo2"))));
    EXPECT_TRUE(QFile::exists(installed(QStringLiteral("share/metainfo/io.velmar.pigmo2.metainfo.xml"))));
}

TEST_F(DesktopEntryTest, ClaimsNoFolders)
{
    const QStringList lines = entryLines();
    ASSERT_FALSE(lines.isEmpty());
    // A type listed here makes the entry a candidate opener of that type; it lists none.
    EXPECT_EQ(lines.filter(QStringLiteral("MimeType")), QStringList());
}
