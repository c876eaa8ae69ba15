#include "platform/DirectoryFile.h"

#include "ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace pigmo;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class DirectoryFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.path(); }
    QString file() const { return DirectoryFile::filePath(folder()); }
};

TEST_F(DirectoryFileTest, SetsIconInDesktopEntryGroupOfNewFile)
{
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/icons/a b.png")));
    EXPECT_EQ(readAll(file()), QByteArray("[Desktop Entry]\nIcon=/icons/a b.png\n"));
    EXPECT_EQ(DirectoryFile::icon(folder()), QStringLiteral("/icons/a b.png"));
}

TEST_F(DirectoryFileTest, MergeKeepsForeignKeysGroupsCommentsAndTranslations)
{
    writeAll(file(), "# written by hand\n[Desktop Entry]\nIcon=old\nIcon[de]=alt\nComment=keep me\n\n"
                     "[Dolphin]\nViewMode=1\nTimestamp=2024,1,2,3,4,5\n");
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/new.png")));
    const QByteArray merged = readAll(file());
    EXPECT_TRUE(merged.contains("# written by hand"));
    EXPECT_TRUE(merged.contains("Icon=/new.png\n"));
    EXPECT_TRUE(merged.contains("Icon[de]=alt"));
    EXPECT_TRUE(merged.contains("Comment=keep me"));
    EXPECT_TRUE(merged.contains("[Dolphin]\nViewMode=1\nTimestamp=2024,1,2,3,4,5"));
    EXPECT_FALSE(merged.contains("Desktop%20Entry"));

    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    const QByteArray removed = readAll(file());
    EXPECT_FALSE(removed.contains("Icon=/new.png"));
    EXPECT_TRUE(removed.contains("Comment=keep me"));
    EXPECT_TRUE(removed.contains("[Dolphin]"));
}

TEST_F(DirectoryFileTest, RemovingTheOnlyEntryDeletesTheFile)
{
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/x.png")));
    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    EXPECT_FALSE(QFileInfo::exists(file()));
    EXPECT_TRUE(DirectoryFile::removeIcon(folder())) << "nothing left to remove is success";
    EXPECT_TRUE(DirectoryFile::icon(folder()).isEmpty());
}

TEST_F(DirectoryFileTest, RemovalKeepsAFileThatStillHoldsOtherGroups)
{
    writeAll(file(), "[Desktop Entry]\nIcon=/x.png\n[Dolphin]\nSortRole=date\n");
    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    EXPECT_EQ(readAll(file()), QByteArray("[Dolphin]\nSortRole=date\n"));
}

TEST_F(DirectoryFileTest, UnparseableFileIsNeverOverwritten)
{
    const QByteArray garbage("this is not a key file\n\x01\x02");
    writeAll(file(), garbage);
    const Result<void> outcome = DirectoryFile::setIcon(folder(), QStringLiteral("/x.png"));
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(outcome.error().contains(QStringLiteral(".directory")));
    EXPECT_FALSE(DirectoryFile::removeIcon(folder()));
    EXPECT_EQ(readAll(file()), garbage);
}

TEST_F(DirectoryFileTest, SymbolicLinkIsNotWrittenThrough)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    writeAll(target, "[Desktop Entry]\nName=other\n");
    ASSERT_TRUE(QFile::link(target, file()));
    EXPECT_FALSE(DirectoryFile::setIcon(folder(), QStringLiteral("/x.png")));
    EXPECT_EQ(readAll(target), QByteArray("[Desktop Entry]\nName=other\n"));
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
}

TEST_F(DirectoryFileTest, ReadOnlyOrMissingFolderFailsWithReason)
{
    const test::ReadOnlyFolder readOnly(folder());
    if (!readOnly.isEffective())
        GTEST_SKIP() << "cannot make a folder read-only here";
    const Result<void> outcome = DirectoryFile::setIcon(folder(), QStringLiteral("/x.png"));
    EXPECT_FALSE(outcome);
    EXPECT_FALSE(outcome.error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file()));
    EXPECT_FALSE(DirectoryFile::setIcon(folder() + QStringLiteral("/missing"), QStringLiteral("/x.png")));
}

// Without its privilege to ignore permissions on this thread while it lives (only root has it).
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride()
    {
        if (::geteuid() != 0)
            return;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride()
    {
        if (dropped_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;
    bool effective() const { return ::geteuid() != 0 || dropped_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

// A .directory that cannot even be looked at (a folder without search permission) fails with the system's
// reason, not as a file of another kind.
TEST_F(DirectoryFileTest, AnEntryThatCannotBeLookedAtFailsWithTheSystemsReason)
{
    const QByteArray path = QFile::encodeName(folder());
    ASSERT_EQ(::chmod(path.constData(), 0), 0);
    {
        const WithoutPermissionOverride unprivileged;
        if (!unprivileged.effective())
            GTEST_SKIP() << "cannot give up the privilege to ignore permissions here";
        const Result<void> outcome = DirectoryFile::setIcon(folder(), QStringLiteral("/x.png"));
        EXPECT_EQ(outcome.error(), QStringLiteral("cannot read %1: Permission denied").arg(file()));
        EXPECT_EQ(DirectoryFile::removeIcon(folder()).error(), outcome.error());
    }
    ::chmod(path.constData(), 0700);
}

} // namespace
