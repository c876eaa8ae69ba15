#include "app/StatusItem.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>

using pigmo::StatusItem;

TEST(StatusItemTest, AClickTogglesTheMenuQuitsAndNothingShowsWithoutATrayHost)
{
    StatusItem item(QStringLiteral("Beenden"));
    QSignalSpy clicks(&item, &StatusItem::clicked);
    QSignalSpy quits(&item, &StatusItem::quitRequested);

    Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Trigger);
    Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Context);
    Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(clicks.count(), 1);

    const QList<QAction*> actions = item.menu()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.first()->text(), QStringLiteral("Beenden"));
    EXPECT_EQ(actions.first()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    actions.first()->trigger();
    EXPECT_EQ(quits.count(), 1);
    EXPECT_FALSE(item.trayIcon()->icon().isNull());

    // The offscreen platform has no tray host: the item exists but never shows.
    ASSERT_FALSE(StatusItem::isAvailable());
    item.setVisible(true);
    EXPECT_FALSE(item.isVisible());
}
