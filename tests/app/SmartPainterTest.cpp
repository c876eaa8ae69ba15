#include "app/SmartPainter.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <mutex>
#include <thread>

using namespace pigmo;

namespace {

ColorizationData styleFor(const QString& path)
{
    ColorizationData data;
    data.color = HSL{static_cast<double>(path.size()), 50, 50};
    data.intensity = 0.6;
    data.iconSize = 170;
    return data;
}

} // namespace

TEST(SmartPainterTest, StylesInOrderOffTheGuiThreadAndRecordsOnIt)
{
    std::mutex mutex;
    QStringList styled;
    bool styledOnGuiThread = false;
    QStringList recorded;
    bool recordedOffGuiThread = false;
    QThread* gui = QThread::currentThread();

    SmartPainter painter(
        [&](const QString& path, SmartSiblingAnalysis::Batch&) -> std::optional<ColorizationData> {
            std::lock_guard lock(mutex);
            styled.append(path);
            styledOnGuiThread |= QThread::currentThread() == gui;
            if (path.endsWith(QStringLiteral("broken")))
                return std::nullopt;
            return styleFor(path);
        },
        [&](const QString& path, const ColorizationData& data) {
            recorded.append(path);
            recordedOffGuiThread |= QThread::currentThread() != gui;
            EXPECT_EQ(data, styleFor(path));
        });
    QSignalSpy painted(&painter, &SmartPainter::folderPainted);
    painter.paint({Folder::unchecked(QStringLiteral("/a/Invoices")), Folder::unchecked(QStringLiteral("/a/broken")),
                   Folder::unchecked(QStringLiteral("/a/Music"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count() == 3; }, 5000));
    EXPECT_EQ(styled, (QStringList{"/a/Invoices", "/a/broken", "/a/Music"}));
    EXPECT_FALSE(styledOnGuiThread);
    EXPECT_EQ(recorded, (QStringList{"/a/Invoices", "/a/Music"}));
    EXPECT_FALSE(recordedOffGuiThread);
    EXPECT_FALSE(painted.at(1).at(1).toBool());
}

TEST(SmartPainterTest, FinishingStopsAfterTheCurrentFolderAndRecordsIt)
{
    std::atomic<int> started{0};
    std::atomic<bool> release{false};
    QStringList recorded;
    SmartPainter painter(
        [&](const QString& path, SmartSiblingAnalysis::Batch&) -> std::optional<ColorizationData> {
            ++started;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return styleFor(path);
        },
        [&](const QString& path, const ColorizationData&) { recorded.append(path); },
        SmartPainter::HistoryBatch{[&] { recorded.append("begin"); }, [&] { recorded.append("end"); }});
    painter.paint({Folder::unchecked(QStringLiteral("/a/first")), Folder::unchecked(QStringLiteral("/a/second"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return started == 1; }, 5000));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        release = true;
    });
    painter.finish(); // no event loop runs after this: the recording must already be done
    releaser.join();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(recorded, (QStringList{"begin", "/a/first", "end"})) << "the cut batch still ends";
}

TEST(SmartPainterTest, EachPaintIsOneBatchOfSiblingScansAndHistory)
{
    std::mutex mutex;
    QList<const SmartSiblingAnalysis::Batch*> scans;
    QStringList events;
    SmartPainter painter(
        [&](const QString& path, SmartSiblingAnalysis::Batch& siblings) -> std::optional<ColorizationData> {
            std::lock_guard lock(mutex);
            scans.append(&siblings);
            return path.endsWith("broken") ? std::nullopt : std::optional(styleFor(path));
        },
        [&](const QString& path, const ColorizationData&) { events.append(path); },
        SmartPainter::HistoryBatch{[&] { events.append("begin"); }, [&] { events.append("end"); }});
    QSignalSpy painted(&painter, &SmartPainter::folderPainted);
    painter.paint({Folder::unchecked("/p/a"), Folder::unchecked("/p/broken")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count() == 2; }, 5000));
    painter.paint({Folder::unchecked("/p/b")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count() == 3; }, 5000));
    EXPECT_EQ(events, (QStringList{"begin", "/p/a", "end", "begin", "/p/b", "end"}));
    ASSERT_EQ(scans.size(), 3);
    EXPECT_EQ(scans[0], scans[1]) << "one paint, one set of sibling scans";
}
