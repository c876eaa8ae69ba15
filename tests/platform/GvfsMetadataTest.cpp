// Runs against the real gvfsd-metadata of the session bus that the test command starts.
#include "platform/GvfsMetadata.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>

using namespace pigmo;

namespace {

TEST(GvfsMetadataTest, SetReadAndUnsetRoundTrip)
{
    QTemporaryDir dir;
    const QString uri = QStringLiteral("file:///tmp/some%20icon.png");
    ASSERT_TRUE(GvfsMetadata::setCustomIcon(dir.path(), uri)) << "is a session bus with gvfsd-metadata running?";
    EXPECT_EQ(GvfsMetadata::customIcon(dir.path()), uri);
    ASSERT_TRUE(GvfsMetadata::unsetCustomIcon(dir.path()));
    EXPECT_TRUE(GvfsMetadata::customIcon(dir.path()).isEmpty());
    EXPECT_TRUE(GvfsMetadata::unsetCustomIcon(dir.path())) << "removing an absent key succeeds";
}

TEST(GvfsMetadataTest, SymbolicLinkCarriesItsOwnValue)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QDir().mkdir(target));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(GvfsMetadata::setCustomIcon(link, QStringLiteral("file:///l.png")));
    EXPECT_TRUE(GvfsMetadata::customIcon(target).isEmpty());
}

TEST(GvfsMetadataTest, PreparingChangesNothingAndASetFollowsOnAnyThread)
{
    QTemporaryDir dir;
    const QString uri = QStringLiteral("file:///p.png");
    ASSERT_TRUE(GvfsMetadata::setCustomIcon(dir.path(), uri));
    std::thread([&dir] { GvfsMetadata::prepare(dir.path()); }).join();
    EXPECT_EQ(GvfsMetadata::customIcon(dir.path()), uri);

    GvfsMetadata::prepare(QStringLiteral("/nonexistent/folder")); // a missing path is read as nothing
    ASSERT_TRUE(GvfsMetadata::setCustomIcon(dir.path(), QStringLiteral("file:///q.png")));
    EXPECT_EQ(GvfsMetadata::customIcon(dir.path()), QStringLiteral("file:///q.png"));
}

TEST(GvfsMetadataTest, MissingPathReadsNothing)
{
    EXPECT_TRUE(GvfsMetadata::customIcon(QStringLiteral("/nonexistent/folder")).isEmpty());
}

} // namespace
