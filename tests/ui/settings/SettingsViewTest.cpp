#include "ui/settings/SettingsView.h"

#include "base/Executors.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/Preferences.h"
#include "ui/controls/LocalizedText.h"
#include "ui/history/HistoryView.h"
#include "ui/settings/SettingsFixture.h"
#include "ui/settings/SettingsMenu.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

class SettingsViewTest : public ::testing::Test {
protected:
    test::SettingsManagers managers;
    SettingsView view{managers.services()};

    void SetUp() override
    {
        view.resize(700, 560);
        view.show();
    }

    // Opens a row's menu with a click on its button, as the user does.
    SettingsMenuPopup* openMenu(SettingsMenuRow* row)
    {
        QTest::mouseClick(row->menuButton(), Qt::LeftButton);
        return row->menu();
    }

    static QStringList labelTexts(QWidget* widget)
    {
        QStringList texts;
        for (const QLabel* label : widget->findChildren<QLabel*>())
            texts.append(label->text());
        return texts;
    }
};

TEST_F(SettingsViewTest, TheThemeMenuStoresAppliesAndClosesEvenForTheCurrentTheme)
{
    SettingsMenuPopup* menu = openMenu(view.themeRow());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->options().size(), 3);
    EXPECT_EQ(menu->width(), SettingsMenuPopup::menuWidth);
    managers.appliedPalettes.clear();
    QTest::mouseClick(menu->options()[1], Qt::LeftButton); // dark
    EXPECT_EQ(managers.appearance.currentTheme(), AppTheme::dark);
    EXPECT_EQ(Preferences::value(prefs::selectedTheme), QStringLiteral("dark"));
    EXPECT_EQ(managers.appliedPalettes, QList<bool>{true});
    EXPECT_FALSE(view.themeRow()->isMenuPresented());
    EXPECT_TRUE(labelTexts(view.themeRow()->menuButton()).contains(QStringLiteral("Dark")));

    menu = openMenu(view.themeRow());
    QTest::mouseClick(menu->options()[1], Qt::LeftButton); // dark again: applied again
    EXPECT_EQ(managers.appliedPalettes, (QList<bool>{true, true}));
    EXPECT_FALSE(view.themeRow()->isMenuPresented());
}

TEST_F(SettingsViewTest, TheDisplayModeIsStoredAndTheTrayFollowsAtOnce)
{
    managers.trayShown.clear();
    QTest::mouseClick(openMenu(view.displayRow())->options()[1], Qt::LeftButton); // dock
    EXPECT_EQ(Preferences::value(prefs::appDisplayMode), QStringLiteral("dock"));
    EXPECT_EQ(managers.trayShown.last(), false);
    EXPECT_EQ(managers.displayMode.activationPolicy(), ActivationPolicy::regular);

    QTest::mouseClick(openMenu(view.displayRow())->options()[0], Qt::LeftButton); // tray only
    EXPECT_EQ(Preferences::value(prefs::appDisplayMode), QStringLiteral("menu_bar"));
    EXPECT_EQ(managers.trayShown.last(), true);
    EXPECT_EQ(managers.displayMode.activationPolicy(), ActivationPolicy::accessory);

    QTest::mouseClick(openMenu(view.displayRow())->options()[2], Qt::LeftButton); // both
    EXPECT_EQ(Preferences::value(prefs::appDisplayMode), QStringLiteral("menu_bar_dock"));
    EXPECT_EQ(managers.trayShown.last(), true);
    EXPECT_EQ(managers.displayMode.activationPolicy(), ActivationPolicy::regular);
    EXPECT_FALSE(view.displayRow()->isMenuPresented());
}

TEST_F(SettingsViewTest, ALanguageChoiceIsStoredAndRelabelsEveryOpenView)
{
    Executors executors;
    ColorizationHistoryStore store;
    HistoryView history(store, managers.localization, executors);
    history.show();
    const auto titles = [](QWidget* widget) {
        QStringList texts;
        for (const LocalizedText* text : widget->findChildren<LocalizedText*>())
            texts.append(text->text());
        return texts;
    };
    EXPECT_TRUE(titles(&view).contains(QStringLiteral("Appearance")));
    EXPECT_TRUE(titles(history.tabButton(HistoryView::Tab::chronological)).contains(QStringLiteral("All changes")));

    SettingsMenuPopup* menu = openMenu(view.languageRow());
    ASSERT_EQ(menu->options().size(), LocalizationManager::supportedLanguages().size());
    EXPECT_TRUE(menu->options()[3]->accessibleName().contains(QStringLiteral("Deutsch")));
    QTest::mouseClick(menu->options()[3], Qt::LeftButton); // Deutsch
    EXPECT_EQ(Preferences::value(prefs::appLanguage), QStringLiteral("de"));
    EXPECT_TRUE(titles(&view).contains(QStringLiteral("Erscheinungsbild")));
    EXPECT_FALSE(titles(&view).contains(QStringLiteral("Appearance")));
    EXPECT_TRUE(titles(history.tabButton(HistoryView::Tab::chronological)).contains(QStringLiteral("Alle Änderungen")));
    const QStringList label = labelTexts(view.languageRow()->menuButton());
    EXPECT_TRUE(label.contains(SettingsView::flagEmoji(QStringLiteral("de"))));
    EXPECT_TRUE(label.contains(QStringLiteral("Deutsch")));
}

TEST_F(SettingsViewTest, FolderLanguagesStayOpenAndRebuildTheIndexOnceWhenTheMenuCloses)
{
    managers.folderLanguages.setSelectedLanguages({QStringLiteral("en")});
    managers.folderLanguages.commitChanges();
    managers.indexRebuilds = 0;

    SettingsMenuPopup* menu = openMenu(view.folderLanguagesRow());
    QTest::mouseClick(menu->options()[0], Qt::LeftButton); // English, the last one: stays
    EXPECT_EQ(managers.folderLanguages.selectedLanguages(), QSet<QString>{QStringLiteral("en")});
    QTest::mouseClick(menu->options()[1], Qt::LeftButton); // Français
    QTest::mouseClick(menu->options()[3], Qt::LeftButton); // Deutsch
    EXPECT_TRUE(view.folderLanguagesRow()->isMenuPresented());
    EXPECT_EQ(Preferences::value(prefs::folderLanguages).size(), 3);
    EXPECT_TRUE(labelTexts(view.folderLanguagesRow()->menuButton()).contains(QStringLiteral("English +2")));
    EXPECT_EQ(managers.indexRebuilds, 0);
    menu->close();
    EXPECT_EQ(managers.indexRebuilds, 1);
    EXPECT_FALSE(view.folderLanguagesRow()->isMenuPresented());

    // On and off again within one visit: no net change, no rebuild.
    menu = openMenu(view.folderLanguagesRow());
    QTest::mouseClick(menu->options()[2], Qt::LeftButton);
    QTest::mouseClick(menu->options()[2], Qt::LeftButton);
    QTest::mouseClick(view.folderLanguagesRow()->menuButton(), Qt::LeftButton); // the label closes it too
    EXPECT_FALSE(view.folderLanguagesRow()->isMenuPresented());
    EXPECT_EQ(managers.indexRebuilds, 1);
}

TEST_F(SettingsViewTest, TheIconLibraryMenuStoresItsRawValue)
{
    QTest::mouseClick(openMenu(view.iconStyleRow())->options()[1], Qt::LeftButton);
    EXPECT_EQ(managers.iconStyle.preferredLibrary(), IconLibrary::emoji);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), QStringLiteral("emoji"));
    EXPECT_FALSE(view.iconStyleRow()->isMenuPresented());
    QTest::mouseClick(openMenu(view.iconStyleRow())->options()[0], Qt::LeftButton);
    EXPECT_EQ(Preferences::value(prefs::preferredIconLibrary), QStringLiteral("lucide"));
}

TEST_F(SettingsViewTest, TheColumnIsAtMostItsWidthAndCentredAndTheVersionShows)
{
    QApplication::processEvents();
    const QWidget* column = view.themeRow()->parentWidget();
    EXPECT_LE(column->width(), SettingsView::columnWidth);
    const int left = column->mapTo(view.scrollArea()->widget(), QPoint()).x();
    EXPECT_NEAR(left, view.scrollArea()->widget()->width() - left - column->width(), 1);
    EXPECT_TRUE(view.versionLabel()->text().startsWith(u'v'));
}

TEST(SettingsViewFunctionsTest, FlagsAreExactCodesOnly)
{
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("pt-BR")), QStringLiteral("🇧🇷"));
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("pt")), QStringLiteral("🇵🇹"));
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("en")), QStringLiteral("🇺🇸"));
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("zh-Hant")), QStringLiteral("🇹🇼"));
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("EN")), QString());
    EXPECT_EQ(SettingsView::flagEmoji(QStringLiteral("xx")), QString());
}

TEST(SettingsViewFunctionsTest, TheSummaryFollowsTheListsOrderNotTheSelections)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    localization.setCurrentLanguage(QStringLiteral("en"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({}, localization), QStringLiteral("None"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({QStringLiteral("xx")}, localization), QStringLiteral("None"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({QStringLiteral("en")}, localization), QStringLiteral("English"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({QStringLiteral("fr"), QStringLiteral("en")}, localization),
              QStringLiteral("English, Français"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("en")},
                                                   localization),
              QStringLiteral("English +2"));
    localization.setCurrentLanguage(QStringLiteral("de"));
    EXPECT_EQ(SettingsView::folderLanguagesSummary({}, localization), QStringLiteral("Keine"));
}

TEST(SettingsViewFunctionsTest, TheVersionIsPrefixedOnlyWhenThereIsOne)
{
    EXPECT_EQ(SettingsView::appVersion(QStringLiteral("2.1")), QStringLiteral("v2.1"));
    EXPECT_EQ(SettingsView::appVersion(QString()), QString());
}

} // namespace

namespace {

TEST_F(SettingsViewTest, MenusAreUsableFromTheKeyboard)
{
    view.displayRow()->menuButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view.displayRow()->menuButton(), Qt::Key_Space);
    SettingsMenuPopup* menu = view.displayRow()->menu();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return); // the second entry: the taskbar alone
    EXPECT_EQ(managers.displayMode.displayMode(), AppDisplayMode::dock);
    EXPECT_FALSE(view.displayRow()->isMenuPresented());

    QTest::keyClick(view.displayRow()->menuButton(), Qt::Key_Space);
    ASSERT_TRUE(view.displayRow()->isMenuPresented());
    QTest::keyClick(view.displayRow()->menu(), Qt::Key_Escape);
    EXPECT_FALSE(view.displayRow()->isMenuPresented());
    EXPECT_EQ(managers.displayMode.displayMode(), AppDisplayMode::dock);
}

} // namespace
