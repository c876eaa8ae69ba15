// Runs with DBUS_SESSION_BUS_ADDRESS pointing at no bus (see CMakeLists.txt): GIO decides once per process
// whether gvfs is reachable, so this case needs a process of its own.
#include "platform/FolderIcons.h"

#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/PngEncoder.h"
#include "support/LogCapture.h"

#include "ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

QImage redImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return image;
}

TEST(FolderIconsNoBusTest, WithoutTheMetadataServiceTheIconIsSetInDirectoryAndTheSetSaysWhatIsMissing)
{
    ASSERT_TRUE(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QStringLiteral("nonexistent")));
    QTemporaryDir dir;
    test::LogCapture logs;

    const Result<void> gvfs = GvfsMetadata::setCustomIcon(dir.path(), QStringLiteral("file:///x.png"));
    EXPECT_FALSE(gvfs);
    EXPECT_TRUE(gvfs.error().contains(QStringLiteral("not supported"))) << gvfs.error().toStdString();
    EXPECT_EQ(GvfsMetadata::unavailableReason(), QStringLiteral("no session bus"));

    Result<FolderIcons::Change> change = FolderIcons::change(redImage(), encodePng(redImage()), dir.path());
    ASSERT_TRUE(change);
    FolderIcons::Change made = std::move(change).value();
    ASSERT_TRUE(made.apply()) << ".directory took effect";
    EXPECT_EQ(made.missing(), QStringLiteral("no session bus"));
    made.commit();
    EXPECT_EQ(DirectoryFile::icon(dir.path()), made.storedFile());
    EXPECT_TRUE(FolderIcons::setIcon(redImage(), dir.path()));
    EXPECT_EQ(logs.count(QStringLiteral("FolderIcons: folder icons are set in .directory files only: no session bus")),
              1)
        << "said once";
    EXPECT_TRUE(FolderIcons::removeIcon(dir.path()));
    EXPECT_TRUE(DirectoryFile::icon(dir.path()).isEmpty());
}

TEST(FolderIconsNoBusTest, NoMechanismReportsFailureAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    test::ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.isEffective())
        GTEST_SKIP() << "cannot make a folder read-only here";
    test::LogCapture logs;

    EXPECT_FALSE(FolderIcons::setIcon(redImage(), dir.path()));
    EXPECT_TRUE(logs.contains(QStringLiteral(".directory failed")));
    EXPECT_TRUE(QDir(FolderIconStore::directory()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(FolderIcons::icon(dir.path()).isNull()) << "the plain folder icon";
}

} // namespace
