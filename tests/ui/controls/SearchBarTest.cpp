#include "ui/controls/SearchBar.h"

#include "services/LocalizationManager.h"
#include "ui/controls/ColorSwatch.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

using namespace pigmo;

TEST(SearchBarTest, TheClearButtonComesWithTheFirstCharacterAndEmptiesTheQuery)
{
    QString query;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    SearchBar bar(Binding<QString>::of(query), QStringLiteral("search"), localization);
    bar.show();
    EXPECT_FALSE(bar.clearButton()->isVisible());
    bar.field()->setFocus();
    QTest::keyClicks(bar.field(), QStringLiteral("f"));
    EXPECT_EQ(query, QStringLiteral("f"));
    EXPECT_TRUE(bar.clearButton()->isVisible());
    QTest::keyClicks(bar.field(), QStringLiteral("older"));
    EXPECT_EQ(query, QStringLiteral("folder"));
    QTest::mouseClick(bar.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(query.isEmpty());
    EXPECT_TRUE(bar.field()->text().isEmpty());
    EXPECT_FALSE(bar.clearButton()->isVisible());
}

TEST(SearchBarTest, ThePlaceholderIsTheKeysTextOrTheKeyItself)
{
    QString query;
    LocalizationManager localization{QStringList{QStringLiteral("fr")}};
    localization.setCurrentLanguage(QStringLiteral("fr"));
    SearchBar known(Binding<QString>::of(query), QStringLiteral("search"), localization);
    EXPECT_EQ(known.field()->placeholderText(), QStringLiteral("Rechercher"));
    SearchBar missing(Binding<QString>::of(query), QStringLiteral("no_such_key"), localization);
    EXPECT_EQ(missing.field()->placeholderText(), QStringLiteral("no_such_key"));
}
