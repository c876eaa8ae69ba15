#include "ui/history/Thumbnails.h"

#include "ui/history/HistoryFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace pigmo;

TEST(ThumbnailsTest, APictureIsRenderedOnceOffTheGuiThreadAndKeptUnderItsKey)
{
    Executors executors;
    Thumbnails thumbnails(executors.cpu(), 40, 2.0);
    QSignalSpy ready(&thumbnails, &Thumbnails::pictureReady);
    EXPECT_TRUE(thumbnails.picture(QStringLiteral("7"), test::styleWithHue(10)).isNull());
    EXPECT_TRUE(thumbnails.picture(QStringLiteral("7"), test::styleWithHue(10)).isNull()); // not started twice
    EXPECT_EQ(thumbnails.renderedCount(), 1);
    thumbnails.waitForRenderings();
    ASSERT_EQ(ready.count(), 1);
    const QImage picture = thumbnails.picture(QStringLiteral("7"), test::styleWithHue(10));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(80, 80));
    EXPECT_EQ(picture.devicePixelRatio(), 2.0);
    EXPECT_EQ(thumbnails.renderedCount(), 1);
}

TEST(ThumbnailsTest, MemoryIsBoundedAndClearingDropsLateResults)
{
    Executors executors;
    Thumbnails thumbnails(executors.cpu(), 40, 1.0);
    for (int key = 0; key < Thumbnails::capacity + 20; ++key)
        thumbnails.picture(QString::number(key), test::styleWithHue(key % 360));
    thumbnails.waitForRenderings();
    EXPECT_EQ(thumbnails.cachedCount(), Thumbnails::capacity);

    thumbnails.picture(QStringLiteral("late"), test::styleWithHue(1));
    thumbnails.clear();
    thumbnails.waitForRenderings();
    EXPECT_FALSE(thumbnails.contains(QStringLiteral("late")));
    EXPECT_EQ(thumbnails.cachedCount(), 0);
}
