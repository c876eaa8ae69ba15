#include "app/MainWindow.h"
#include "app/MainMenu.h"
#include "services/LocalizationManager.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

using namespace pigmo;

namespace {

QList<QAction*> menuActions(QMenuBar* bar, int menu)
{
    return bar->actions().at(menu)->menu()->actions();
}

} // namespace

TEST(MainWindowTest, FixedContentSizeTitleAndNoResizing)
{
    MainWindow window(nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pigmo"));
    EXPECT_EQ(window.content()->size(), QSize(780, 480));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    auto* fixed = new QWidget;
    fixed->setFixedSize(900, 560);
    window.setContent(fixed);
    EXPECT_EQ(window.contentSize(), QSize(900, 560));

    window.setContent(new QWidget); // a content without its own size keeps the current one
    EXPECT_EQ(window.content()->size(), QSize(900, 560));
}

TEST(MainWindowTest, ClosingHidesAndKeepsTheContent)
{
    MainWindow window(nullptr);
    auto* content = new QWidget;
    window.setContent(content);
    window.show();
    ASSERT_TRUE(window.isVisible());
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.content(), content);
    window.bringToFront();
    EXPECT_TRUE(window.isVisible());
}

TEST(MainWindowTest, CentresOnTheAvailableArea)
{
    MainWindow window(nullptr);
    window.show();
    window.centre();
    const QRect available = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - available.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - available.center().y()), 1);
}

TEST(MainWindowTest, MenusNameTheProgramAndReachTheFocusedField)
{
    int updates = 0;
    int quits = 0;
    LocalizationManager localization;
    localization.setCurrentLanguage(QStringLiteral("en"));
    QMenuBar* bar = MainMenu{[&] { ++updates; }, [&] { ++quits; }}.build(localization);
    MainWindow window(bar);

    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions().at(0)->text(), QStringLiteral("Pigmo 2"));
    const QList<QAction*> app = menuActions(bar, 0);
    ASSERT_EQ(app.size(), 3);
    EXPECT_EQ(app.at(0)->text(), QStringLiteral("Check for Updates…"));
    EXPECT_TRUE(app.at(1)->isSeparator());
    EXPECT_EQ(app.at(2)->text(), QStringLiteral("Quit Pigmo 2"));
    EXPECT_EQ(app.at(2)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    app.at(0)->trigger();
    app.at(2)->trigger();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(quits, 1);

    EXPECT_EQ(bar->actions().at(1)->text(), QStringLiteral("Edit"));
    QStringList titles;
    for (QAction* action : menuActions(bar, 1))
        titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, (QStringList{"Cut", "Copy", "Paste", "-", "Select All"}));

    // Another interface language retitles every menu and entry at once.
    localization.setCurrentLanguage(QStringLiteral("fr"));
    EXPECT_EQ(bar->actions().at(0)->text(), QStringLiteral("Pigmo 2"));
    EXPECT_EQ(app.at(0)->text(), QStringLiteral("Rechercher des mises à jour…"));
    EXPECT_EQ(app.at(2)->text(), QStringLiteral("Quitter Pigmo 2"));
    EXPECT_EQ(bar->actions().at(1)->text(), QStringLiteral("Édition"));
    titles.clear();
    for (QAction* action : menuActions(bar, 1))
        titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, (QStringList{"Couper", "Copier", "Coller", "-", "Tout sélectionner"}));
    localization.setCurrentLanguage(QStringLiteral("en"));

    auto* field = new QLineEdit(QStringLiteral("some text"));
    window.setContent(field);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    field->deselect();
    ASSERT_EQ(QApplication::focusWidget(), field);
    menuActions(bar, 1).at(4)->trigger();
    EXPECT_EQ(field->selectedText(), QStringLiteral("some text"));
}
