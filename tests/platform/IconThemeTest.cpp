#include "platform/IconTheme.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>

using namespace pigmo;

namespace {

// Builds a theme under $XDG_DATA_HOME/icons (the test's own temporary data directory).
QString makeTheme(const QString& name, const QByteArray& index)
{
    const QString root =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/icons/") + name;
    QDir().mkpath(root);
    QFile file(root + QStringLiteral("/index.theme"));
    file.open(QIODevice::WriteOnly);
    file.write(index);
    return root;
}

void addIcon(const QString& path)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(path, "PNG"));
}

TEST(IconThemeTest, PicksTheLargestBitmapAndFollowsInherits)
{
    const QString parent = makeTheme(QStringLiteral("TestParent"),
                                     "[Icon Theme]\nName=P\nDirectories=16/places,64/places,scalable/places\n"
                                     "[16/places]\nSize=16\n[64/places]\nSize=64\n"
                                     "[scalable/places]\nSize=128\nType=Scalable\n");
    addIcon(parent + QStringLiteral("/16/places/test-folder.png"));
    addIcon(parent + QStringLiteral("/64/places/test-folder.png"));
    const QString child =
        makeTheme(QStringLiteral("TestChild"), "[Icon Theme]\nName=C\nInherits=TestParent\nDirectories=places\n"
                                               "[places]\nSize=32\n");
    addIcon(child + QStringLiteral("/places/child-only.png"));

    EXPECT_EQ(IconTheme::iconPath(QStringLiteral("test-folder"), QStringLiteral("TestChild")),
              parent + QStringLiteral("/64/places/test-folder.png"));
    EXPECT_EQ(IconTheme::iconPath(QStringLiteral("child-only"), QStringLiteral("TestChild")),
              child + QStringLiteral("/places/child-only.png"));
    EXPECT_TRUE(IconTheme::iconPath(QStringLiteral("no-such-icon-anywhere"), QStringLiteral("TestChild")).isEmpty());
}

TEST(IconThemeTest, UnknownThemeFallsBackToAdwaitaAndHicolor)
{
    const QString folder = IconTheme::iconPath(QStringLiteral("folder"), QStringLiteral("NoSuchTheme"));
    ASSERT_FALSE(folder.isEmpty()) << "adwaita-icon-theme is installed by scripts/install-deps";
    EXPECT_FALSE(QImage(folder).isNull());
    EXPECT_FALSE(IconTheme::themeName().isEmpty());
}

TEST(IconThemeTest, CyclicInheritsEnds)
{
    makeTheme(QStringLiteral("LoopA"), "[Icon Theme]\nName=A\nInherits=LoopB\nDirectories=\n");
    makeTheme(QStringLiteral("LoopB"), "[Icon Theme]\nName=B\nInherits=LoopA\nDirectories=\n");
    EXPECT_TRUE(IconTheme::iconPath(QStringLiteral("nothing-here"), QStringLiteral("LoopA")).isEmpty());
}

} // namespace
