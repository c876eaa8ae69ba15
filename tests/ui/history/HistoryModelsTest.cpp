#include "ui/history/HistoryModels.h"

#include "ui/history/HistoryFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace pigmo;

TEST(HistoryModelsTest, TheHomeIsShortenedOnlyAtAPathBoundary)
{
    const QString home = QStringLiteral("/home/me");
    EXPECT_EQ(displayPath(QStringLiteral("/home/me/Desktop/Work"), home), QStringLiteral("~/Desktop/Work"));
    EXPECT_EQ(displayPath(QStringLiteral("/home/me"), home), QStringLiteral("~"));
    EXPECT_EQ(displayPath(QStringLiteral("/home/me2/Work"), home), QStringLiteral("/home/me2/Work"));
    EXPECT_EQ(displayPath(QStringLiteral("/home/meadow"), home), QStringLiteral("/home/meadow"));
    EXPECT_EQ(displayPath(QStringLiteral("/srv/data"), home), QStringLiteral("/srv/data"));
    EXPECT_EQ(displayPath(QStringLiteral("/home/me/a"), QStringLiteral("/home/me/")), QStringLiteral("~/a"));
    EXPECT_EQ(displayPath(QStringLiteral("/etc"), QStringLiteral("/")), QStringLiteral("/etc"));
}

TEST(HistoryModelsTest, DatesAreMediumDatesWithShortTimesInTheInterfaceLanguage)
{
    const QDateTime noon(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
    const QDateTime local = noon.toLocalTime();
    const QString english = historyDateText(noon, QStringLiteral("en"));
    EXPECT_TRUE(english.startsWith(QStringLiteral("Mar %1, 2025").arg(local.date().day()))) << english.toStdString();
    EXPECT_FALSE(english.contains(QStringLiteral("Saturday")));
    const QString german = historyDateText(noon, QStringLiteral("de"));
    EXPECT_TRUE(german.contains(QStringLiteral("2025"))) << german.toStdString();
    EXPECT_FALSE(german.contains(QStringLiteral("Samstag")));
    EXPECT_NE(english, german);
    EXPECT_TRUE(historyDateText(noon, QStringLiteral("ja")).startsWith(QStringLiteral("2025年3月")));
}

TEST(HistoryModelsTest, AppendedEntriesAreInsertedAtTheTopAndKeysNeverMove)
{
    ColorizationHistoryStore store;
    test::writeLog(store, 2, QStringLiteral("/srv"));
    store.loadChronologicalLog();
    HistoryLogModel model(store);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.key(0), QStringLiteral("1"));
    EXPECT_EQ(model.key(1), QStringLiteral("0"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    store.record(QStringLiteral("/srv/New"), test::styleWithHue(5));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(inserted.first().at(1).toInt(), 0);
    EXPECT_EQ(model.key(0), QStringLiteral("2"));
    EXPECT_EQ(model.rowOfKey(QStringLiteral("1")), 1);
    EXPECT_EQ(model.rowOfKey(QStringLiteral("7")), -1);
    EXPECT_EQ(model.rowOfKey(QStringLiteral("x")), -1);
    EXPECT_EQ(model.data(model.index(0), HistoryLogModel::PathRole).toString(), QStringLiteral("/srv/New"));
}
