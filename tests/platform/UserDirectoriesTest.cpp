#include "platform/UserDirectories.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace pigmo;

namespace {

// Writes the user's user-dirs.dirs for the length of a test; none at all for an empty text.
class UserDirsFile {
public:
    explicit UserDirsFile(const QByteArray& text)
        : path_(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/user-dirs.dirs"))
    {
        QFile::remove(path_);
        if (text.isEmpty())
            return;
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ~UserDirsFile() { QFile::remove(path_); }

private:
    QString path_;
};

} // namespace

TEST(UserDirectoriesTest, WithoutUserDirectoriesTheEnglishNamesBelowTheHomeServe)
{
    const UserDirsFile none{QByteArray()};
    const UserDirectories directories = UserDirectories::current();
    EXPECT_EQ(directories.home, QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(directories.desktop, directories.home + QStringLiteral("/Desktop"));
    EXPECT_EQ(directories.documents, directories.home + QStringLiteral("/Documents"));
    EXPECT_TRUE(directories.publicShare.isEmpty());
    EXPECT_TRUE(directories.templates.isEmpty());
}

TEST(UserDirectoriesTest, TheUserDirectoriesNameTheFoldersInTheUsersLanguage)
{
    const UserDirsFile german{"# written by xdg-user-dirs-update\n"
                              "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                              "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                              "XDG_PUBLICSHARE_DIR=\"$HOME/\xc3\x96"
                              "ffentlich\"\n"
                              "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n"};
    const UserDirectories directories = UserDirectories::current();
    EXPECT_EQ(directories.desktop, directories.home + QStringLiteral("/Schreibtisch"));
    EXPECT_EQ(directories.documents, directories.home + QStringLiteral("/Dokumente"));
    EXPECT_EQ(directories.publicShare, directories.home + QStringLiteral("/Öffentlich"));
    EXPECT_EQ(directories.templates, directories.home + QStringLiteral("/Vorlagen"));
}

TEST(UserDirectoriesTest, AFolderPointedAtTheHomeIsTurnedOff)
{
    const UserDirsFile off{
        "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/\"\nXDG_TEMPLATES_DIR=\"$HOME\"\n"};
    const UserDirectories directories = UserDirectories::current();
    EXPECT_EQ(directories.desktop, directories.home + QStringLiteral("/Bureau"));
    EXPECT_TRUE(directories.documents.isEmpty());
    EXPECT_TRUE(directories.templates.isEmpty());
}
