#include "storage/HistoryLogEntry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTimeZone>

using namespace pigmo;

namespace {

QByteArray logWith(const char* timestamp)
{
    return QByteArray(R"([{"folderPath":"\/a","data":{"color":{"hue":1,"saturation":2,"lightness":3},)"
                      R"("intensity":1,"iconStyle":{"type":"vibrant"}},"timestamp":")") +
           timestamp + "\"}]";
}

} // namespace

TEST(HistoryLogEntryTest, WritesMembersInOrderWithAWholeSecondUtcTimestamp)
{
    const QDateTime when(QDate(2025, 3, 1), QTime(10, 30, 0), QTimeZone(3600));
    const HistoryLogEntry entry{QStringLiteral("/home/ana/Été"), ColorizationData{}, when};
    auto text = json::encodeLog({entry});
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, QByteArray(R"([{"folderPath":"\/home\/ana\/Été","data":{"color":{"hue":0.0,"saturation":0.0,)"
                                R"("lightness":0.0},"intensity":0.0,"iconStyle":{"type":"vibrant"}},)"
                                R"("timestamp":"2025-03-01T09:30:00Z"}])"));
    auto decoded = json::decodeLog(*text);
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(decoded->first(), entry);
}

TEST(HistoryLogEntryTest, ReadsInternetDateTimesOnly)
{
    EXPECT_EQ(json::timestampFromText(QStringLiteral("2025-03-01T09:30:00Z")),
              QDateTime(QDate(2025, 3, 1), QTime(9, 30), QTimeZone::utc()));
    EXPECT_EQ(json::timestampFromText(QStringLiteral("2025-03-01T11:30:00+02:00")),
              QDateTime(QDate(2025, 3, 1), QTime(9, 30), QTimeZone::utc()));
    for (const char* bad :
         {"2025-03-01T09:30:00.5Z", "2025-03-01T09:30:00", "2025-03-01 09:30:00Z", "2025-02-30T09:30:00Z",
          "2025-03-01T24:00:00Z", "-025-03-01T09:30:00Z", "2025-03-01T09:30:00+2:00", "20250301T093000Z"})
        EXPECT_FALSE(json::timestampFromText(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(json::decodeLog(logWith("2025-03-01T09:30:00.000Z"))) << "one fractional second spoils the log";
    EXPECT_TRUE(json::decodeLog(logWith("2025-03-01T09:30:00Z")));
}

TEST(HistoryLogEntryTest, ReadsOnlyTimesWhoseUtcYearCanBeWrittenBack)
{
    for (const char* writable :
         {"9999-12-31T23:30:00+01:00", "9999-12-31T23:59:59Z", "0001-01-01T00:30:00-01:00", "0001-01-01T00:00:00Z"}) {
        const auto read = json::timestampFromText(QString::fromLatin1(writable));
        ASSERT_TRUE(read) << writable;
        EXPECT_EQ(json::timestampFromText(json::timestampText(*read)), read) << writable;
    }
    for (const char* beyond : {"9999-12-31T23:30:00-01:00", "0001-01-01T00:30:00+01:00"})
        EXPECT_FALSE(json::timestampFromText(QString::fromLatin1(beyond))) << beyond;
    EXPECT_FALSE(json::decodeLog(logWith("9999-12-31T23:30:00-01:00")));
}

TEST(HistoryLogEntryTest, EveryMemberIsRequiredAndUnknownOnesIgnored)
{
    const char* style =
        R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"iconStyle":{"type":"vibrant"}})";
    const auto entry = [&](const QString& members) { return json::decodeLog(("[{" + members + "}]").toUtf8()); };
    const QString path = QStringLiteral(R"("folderPath":"/a")");
    const QString data = QStringLiteral(R"("data":)") + QString::fromLatin1(style);
    const QString time = QStringLiteral(R"("timestamp":"2025-03-01T09:30:00Z")");
    EXPECT_TRUE(entry(time + "," + data + "," + path + R"(,"extra":1)"));
    EXPECT_FALSE(entry(data + "," + time));
    EXPECT_FALSE(entry(path + "," + time));
    EXPECT_FALSE(entry(path + "," + data));
    EXPECT_FALSE(entry(path + "," + data + R"(,"timestamp":12)"));
    EXPECT_FALSE(json::decodeLog("{}"));
    EXPECT_TRUE(json::decodeLog("[]"));
}

TEST(HistoryLogEntryTest, NowHasWholeSecondsInUtc)
{
    const QDateTime now = historyTimestampNow();
    EXPECT_EQ(now.time().msec(), 0);
    EXPECT_EQ(now.timeSpec(), Qt::UTC);
    EXPECT_EQ(json::timestampFromText(json::timestampText(now)), now);
}

TEST(HistoryLogEntryTest, CheckingALogFailsExactlyWhenDecodingItDoes)
{
    const QByteArray good = logWith("2025-03-01T09:30:00Z");
    const QByteArray twoGood = good.chopped(1) + ',' + good.mid(1);
    const QList<QByteArray> logs{good,
                                 twoGood,
                                 "[]",
                                 "not json",
                                 "{}",
                                 "[1]",
                                 logWith("2025-03-01T09:30:00.5Z"),
                                 twoGood.chopped(1) + R"(,{"folderPath":"\/b","timestamp":"2025-03-01T09:30:00Z"}])",
                                 QByteArray(300, '[') + QByteArray(300, ']'),
                                 R"([{"folderPath":3,"data":{},"timestamp":"2025-03-01T09:30:00Z"}])",
                                 R"([{"folderPath":"\/b","data":null,"timestamp":"2025-03-01T09:30:00Z"}])",
                                 R"([{"folderPath":"\/b","data":{"color":[]},"timestamp":"2025-03-01T09:30:00Z"}])",
                                 QByteArray(good).replace("iconStyle", "iconStile"),
                                 QByteArray(good).replace("timestamp", "time")};
    for (const QByteArray& log : logs) {
        const auto decoded = json::decodeLog(log);
        const auto checked = json::checkLog(log);
        EXPECT_EQ(checked.hasValue(), decoded.hasValue()) << log.left(80).toStdString();
        if (!decoded) {
            EXPECT_EQ(checked.error(), decoded.error());
        }
    }
    EXPECT_EQ(json::decodeLog(twoGood)->size(), 2);
    EXPECT_FALSE(json::checkLog(logs.last())) << "nested too deep";
}

TEST(HistoryLogEntryTest, WritesAStoredLogBackInTheFormThisProgramWrites)
{
    QFile file(QStringLiteral(PIGMO_TEST_DATA_DIR "/fuzz/history_log/two-entries.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto entries = json::decodeLog(file.readAll());
    ASSERT_TRUE(entries) << entries.error().toStdString();
    const auto written = json::encodeLog(*entries);
    ASSERT_TRUE(written);
    EXPECT_EQ(
        written->toStdString(),
        R"json([{"folderPath":"\/home\/ana\/Projects","data":{"color":{"hue":195.0,"saturation":100.0,"lightness":45.0},"intensity":0.65,"iconStyle":{"type":"vibrant"}},"timestamp":"2025-03-01T09:30:00Z"},{"folderPath":"\/home\/ana\/Music","data":{"color":{"hue":12.5,"saturation":80.0,"lightness":40.0},"intensity":0.6,"icon":{"url":"file:\/\/\/opt\/pigmo2\/lucide\/folder.svg","systemName":"folder.open","emoji":"📁","name":"folder","imageData":"iVBORw0KGgo="},"iconSize":170.0,"iconStyle":{"type":"color","color":{"hue":1.0,"saturation":2.0,"lightness":3.0}}},"timestamp":"2025-03-02T09:30:00Z"}])json");
}
