#include "ui/history/HistoryView.h"

#include "base/Executors.h"
#include "services/LocalizationManager.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SymbolView.h"
#include "ui/history/HistoryFixture.h"
#include "ui/history/HistoryModels.h"
#include "ui/history/Thumbnails.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

class HistoryViewTest : public ::testing::Test {
protected:
    Executors executors;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    ColorizationHistoryStore store;

    void SetUp() override { localization.setCurrentLanguage(QStringLiteral("en")); }

    // The view shown and its log loaded (read on a worker when the page first shows).
    std::unique_ptr<HistoryView> open()
    {
        auto view = std::make_unique<HistoryView>(store, localization, executors);
        view->resize(700, 500);
        view->show();
        EXPECT_TRUE(QTest::qWaitFor([this] { return store.chronologicalLogLoaded(); }, 10000));
        QApplication::processEvents();
        return view;
    }

    static QStringList texts(QWidget* widget)
    {
        QStringList all;
        for (const LocalizedText* text : widget->findChildren<LocalizedText*>())
            all.append(text->text());
        return all;
    }
};

TEST_F(HistoryViewTest, TheLogIsReadOffTheGuiThreadWhileTheLoadingStateShows)
{
    const QString log = QDir(store.storageDirectory()).filePath(ColorizationHistoryStore::logFileName);
    test::writeLog(store, 50, QDir::homePath() + QStringLiteral("/Documents"));
    ColorizationHistoryStore fresh;
    ASSERT_TRUE(QFile::exists(log));
    ASSERT_FALSE(fresh.chronologicalLogLoaded());
    HistoryView view(fresh, localization, executors);
    view.resize(700, 500);
    view.show();
    EXPECT_FALSE(fresh.chronologicalLogLoaded()) << "showing the page never reads the file on the GUI thread";
    EXPECT_EQ(view.emptyState(), nullptr) << "no empty state while the log loads";
    ASSERT_TRUE(QTest::qWaitFor([&] { return fresh.chronologicalLogLoaded(); }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(view.logList()->model()->rowCount(), 50);
    EXPECT_TRUE(view.logList()->isVisibleTo(&view));
}

TEST_F(HistoryViewTest, AMissingLogIsLoadedOnceAndShowsTheEmptyState)
{
    ASSERT_FALSE(store.chronologicalLogLoaded());
    auto view = open();
    EXPECT_TRUE(store.chronologicalLogLoaded());
    ASSERT_NE(view->emptyState(), nullptr);
    EXPECT_TRUE(texts(view->emptyState()).contains(QStringLiteral("No history yet")));
    EXPECT_TRUE(texts(view->emptyState()).contains(QStringLiteral("Style a folder and it will show up here.")));
    view->setCurrentTab(HistoryView::Tab::folderStyles);
    ASSERT_NE(view->emptyState(), nullptr);
    EXPECT_TRUE(texts(view->emptyState()).contains(QStringLiteral("No styled folders yet")));
}

TEST_F(HistoryViewTest, TenThousandEntriesAreListedNewestFirstAndOnlyVisibleRowsRenderThumbnails)
{
    test::writeLog(store, 10000, QDir::homePath() + QStringLiteral("/Work"));
    auto view = open();
    ASSERT_EQ(view->logModel()->rowCount(), 10000);
    EXPECT_EQ(view->emptyState(), nullptr);
    EXPECT_EQ(view->logModel()->entry(0).folderPath, QDir::homePath() + QStringLiteral("/Work/Folder 9999"));
    EXPECT_EQ(view->logModel()->entry(9999).folderPath, QDir::homePath() + QStringLiteral("/Work/Folder 0"));
    view->logList()->viewport()->repaint();
    const int visible =
        view->logList()->viewport()->height() / view->logList()->visualRect(view->logModel()->index(0)).height() + 1;
    EXPECT_GT(view->logThumbnails().renderedCount(), 0);
    EXPECT_LE(view->logThumbnails().renderedCount(), visible);
    view->logThumbnails().waitForRenderings();
    EXPECT_TRUE(view->logThumbnails().contains(view->logModel()->key(0)));
    EXPECT_FALSE(view->logThumbnails().contains(view->logModel()->key(9999)));

    // Scrolling to the end renders only the rows that come into view, and memory stays bounded.
    view->logList()->scrollToBottom();
    view->logList()->viewport()->repaint();
    view->logThumbnails().waitForRenderings();
    EXPECT_TRUE(view->logThumbnails().contains(view->logModel()->key(9999)));
    EXPECT_LE(view->logThumbnails().renderedCount(), 2 * visible);
    EXPECT_LE(view->logThumbnails().cachedCount(), Thumbnails::capacity);
}

TEST_F(HistoryViewTest, AnAppendWhileOpenKeepsEachThumbnailWithItsRow)
{
    test::writeLog(store, 3, QDir::homePath() + QStringLiteral("/Work"));
    auto view = open();
    view->logList()->viewport()->repaint();
    view->logThumbnails().waitForRenderings();
    const QString newestKey = view->logModel()->key(0);
    const QImage newestPicture = view->logThumbnails().picture(newestKey, view->logModel()->entry(0).data);
    ASSERT_FALSE(newestPicture.isNull());

    store.record(QDir::homePath() + QStringLiteral("/Work/Later"), test::styleWithHue(200));
    ASSERT_EQ(view->logModel()->rowCount(), 4);
    EXPECT_EQ(view->logModel()->entry(0).folderPath, QDir::homePath() + QStringLiteral("/Work/Later"));
    // The former newest row moved down one place and kept its key and its picture.
    EXPECT_EQ(view->logModel()->key(1), newestKey);
    EXPECT_EQ(view->logModel()->rowOfKey(newestKey), 1);
    EXPECT_EQ(view->logThumbnails().picture(newestKey, view->logModel()->entry(1).data), newestPicture);
    // The new row has no picture until its own is rendered, never a neighbour's.
    EXPECT_FALSE(view->logThumbnails().contains(view->logModel()->key(0)));
    view->logList()->viewport()->repaint();
    view->logThumbnails().waitForRenderings();
    const QImage later = view->logThumbnails().picture(view->logModel()->key(0), view->logModel()->entry(0).data);
    ASSERT_FALSE(later.isNull());
    EXPECT_NE(later, newestPicture);
}

TEST_F(HistoryViewTest, TheSameFolderStyledTwiceShowsTwoRowsNewestFirst)
{
    QTemporaryDir folder(QDir::homePath() + QStringLiteral("/A-XXXXXX"));
    auto view = open();
    store.record(folder.path(), test::styleWithHue(10));
    store.record(QDir::homePath() + QStringLiteral("/B"), test::styleWithHue(20));
    store.record(folder.path(), test::styleWithHue(30));
    ASSERT_EQ(view->logModel()->rowCount(), 3);
    EXPECT_EQ(view->logModel()->entry(0).data.color.hue, 30);
    EXPECT_EQ(view->logModel()->entry(1).data.color.hue, 20);
    EXPECT_EQ(view->logModel()->entry(2).data.color.hue, 10);
}

TEST_F(HistoryViewTest, AClickOpensAnExistingFolderAndDoesNothingForADeletedOne)
{
    QTemporaryDir kept(QDir::homePath() + QStringLiteral("/Kept-XXXXXX"));
    auto view = open();
    const QString gone = QDir::homePath() + QStringLiteral("/Gone");
    store.record(kept.path(), test::styleWithHue(10));
    store.record(gone, test::styleWithHue(20));
    QApplication::processEvents();
    QStringList selected;
    QObject::connect(view.get(), &HistoryView::folderSelected,
                     [&](const Folder& folder) { selected.append(folder.path()); });
    const QRect newest = view->logList()->visualRect(view->logModel()->index(0));
    QTest::mouseClick(view->logList()->viewport(), Qt::LeftButton, {}, newest.center());
    EXPECT_EQ(selected.count(), 0);
    const QRect older = view->logList()->visualRect(view->logModel()->index(1));
    QTest::mouseClick(view->logList()->viewport(), Qt::LeftButton, {}, older.center());
    EXPECT_EQ(selected, QStringList{kept.path()});
    // Return on the current row opens it too.
    view->logList()->setCurrentIndex(view->logModel()->index(1));
    QTest::keyClick(view->logList(), Qt::Key_Return);
    EXPECT_EQ(selected, (QStringList{kept.path(), kept.path()}));
}

TEST_F(HistoryViewTest, CurrentStylesAreGroupedByParentAndSortedAndCellsTakeClicks)
{
    QTemporaryDir root(QDir::homePath() + QStringLiteral("/Root-XXXXXX"));
    const QString b = root.path() + QStringLiteral("/b");
    const QString a = root.path() + QStringLiteral("/A");
    QDir().mkpath(a + QStringLiteral("/zeta"));
    QDir().mkpath(a + QStringLiteral("/Alpha"));
    store.record(b + QStringLiteral("/one"), test::styleWithHue(1));
    store.record(a + QStringLiteral("/zeta"), test::styleWithHue(2));
    store.record(a + QStringLiteral("/Alpha"), test::styleWithHue(3));
    auto view = open();
    view->setCurrentTab(HistoryView::Tab::folderStyles);
    QApplication::processEvents();
    ASSERT_EQ(view->emptyState(), nullptr);
    const FolderStylesModel& model = *view->stylesModel();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.group(0).parentPath, a);
    EXPECT_EQ(model.group(1).parentPath, b);
    ASSERT_EQ(model.group(0).folders.size(), 2);
    EXPECT_EQ(model.group(0).folders[0].name, QStringLiteral("Alpha"));
    EXPECT_EQ(model.group(0).folders[1].name, QStringLiteral("zeta"));

    // Two folders still take the first two of five equal columns: a click in the second opens "zeta", a
    // click in the third (empty) column or on the deleted "one" opens nothing.
    QStringList selected;
    QObject::connect(view.get(), &HistoryView::folderSelected,
                     [&](const Folder& folder) { selected.append(folder.path()); });
    // The list is padded 16 (the first group also at its top); each card is padded 12 inside.
    const QRect group = view->stylesList()->visualRect(model.index(0)).adjusted(16, 16, -16, 0);
    const double column = (group.width() - 24 - 4 * 12) / 5.0;
    const int y = group.top() + 12 + 16 + 8 + 20;
    view->activateAt(QPoint(int(group.left() + 12 + 2.5 * column + 2 * 12), y));
    EXPECT_TRUE(selected.isEmpty());
    view->activateAt(QPoint(int(group.left() + 12 + 1.5 * column + 12), y));
    EXPECT_EQ(selected, QStringList{a + QStringLiteral("/zeta")});
    const QRect second = view->stylesList()->visualRect(model.index(1)).adjusted(16, 0, -16, 0);
    view->activateAt(QPoint(int(second.left() + 12 + 0.5 * column), second.top() + 12 + 16 + 8 + 20));
    EXPECT_EQ(selected.size(), 1);

    // A change of the store shows at once, and switching tabs loses nothing.
    store.record(b + QStringLiteral("/two"), test::styleWithHue(4));
    EXPECT_EQ(model.group(1).folders.size(), 2);
    view->setCurrentTab(HistoryView::Tab::chronological);
    view->setCurrentTab(HistoryView::Tab::folderStyles);
    EXPECT_EQ(view->logModel()->rowCount(), 4);
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(HistoryViewTest, TabsMarkTheCurrentOneAndFollowTheLanguage)
{
    auto view = open();
    EXPECT_EQ(view->currentTab(), HistoryView::Tab::chronological);
    QTest::mouseClick(view->tabButton(HistoryView::Tab::folderStyles), Qt::LeftButton);
    EXPECT_EQ(view->currentTab(), HistoryView::Tab::folderStyles);
    const QImage grabbed = view->tabButton(HistoryView::Tab::folderStyles)->grab().toImage();
    const QImage other = view->tabButton(HistoryView::Tab::chronological)->grab().toImage();
    // The current tab sits on a tint; the other does not.
    EXPECT_NE(grabbed.pixelColor(2, grabbed.height() / 2), other.pixelColor(2, other.height() / 2));
    localization.setCurrentLanguage(QStringLiteral("fr"));
    EXPECT_TRUE(
        texts(view->tabButton(HistoryView::Tab::chronological)).contains(QStringLiteral("Toutes les modifications")));
    EXPECT_EQ(view->tabButton(HistoryView::Tab::folderStyles)->accessibleName(), QStringLiteral("Styles actuels"));
}

} // namespace
