#include "ui/controls/TextButton.h"

#include "services/LocalizationManager.h"
#include "ui/controls/LocalizedText.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

using namespace pigmo;

namespace {

std::unique_ptr<TextButton> counted(LocalizationManager& localization, std::optional<qint64> count, int* presses)
{
    return std::make_unique<TextButton>([presses] { ++*presses; }, std::nullopt, QStringLiteral("change_icons"), count,
                                        ui::primary(), ui::primary(0.1), false, 12, localization);
}

} // namespace

TEST(TextButtonTest, PluralLabelsFollowEachLanguagesRule)
{
    int presses = 0;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    localization.setCurrentLanguage(QStringLiteral("ru"));
    EXPECT_EQ(counted(localization, 21, &presses)->label()->text(), QStringLiteral("Изменить 21 значок"));
    EXPECT_EQ(counted(localization, 3, &presses)->label()->text(), QStringLiteral("Изменить 3 значка"));
    EXPECT_EQ(counted(localization, 11, &presses)->label()->text(), QStringLiteral("Изменить 11 значков"));
    localization.setCurrentLanguage(QStringLiteral("fr"));
    EXPECT_EQ(counted(localization, 0, &presses)->label()->text(), QStringLiteral("Changer 0 icône"));
    EXPECT_EQ(counted(localization, 2, &presses)->label()->text(), QStringLiteral("Changer 2 icônes"));
    localization.setCurrentLanguage(QStringLiteral("en"));
    EXPECT_EQ(counted(localization, 1, &presses)->label()->text(), QStringLiteral("Change 1 Icon"));
    EXPECT_EQ(counted(localization, 0, &presses)->label()->text(), QStringLiteral("Change 0 Icons"));
}

TEST(TextButtonTest, PressingRunsTheActionAndTheWidthIsTheLabelsPlusForty)
{
    int presses = 0;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    auto button = counted(localization, 2, &presses);
    button->show();
    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(button->sizeHint().width(), button->label()->sizeHint().width() + 40);
    EXPECT_EQ(button->sizeHint().height(), button->label()->sizeHint().height() + 24);
    button->setFocus();
    QTest::keyClick(button.get(), Qt::Key_Space);
    EXPECT_EQ(presses, 2);
}

TEST(TextButtonTest, ALabelWithoutCountAndAMissingKeyShowTheKey)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    TextButton plain({}, std::nullopt, QStringLiteral("presets"), std::nullopt, ui::primary(), ui::primary(0.1), true,
                     12, localization);
    EXPECT_EQ(plain.label()->text(), QStringLiteral("Presets"));
    EXPECT_EQ(plain.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    TextButton missing({}, std::nullopt, QStringLiteral("no_such_key"), 5, ui::primary(), ui::primary(0.1), false, 12,
                       localization);
    EXPECT_EQ(missing.label()->text(), QStringLiteral("no_such_key.many"));
}

TEST(TextButtonTest, TheLabelAndIconTakeTheTextColourAndFollowThePalette)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    QWidget host;
    auto* button = new TextButton({}, symbolImage(QStringLiteral("folder")), QStringLiteral("presets"), std::nullopt,
                                  ui::windowBackground(), ui::primary(), false, 12, localization);
    button->setParent(&host);
    host.show();
    const QColor window = host.palette().color(QPalette::Window);
    EXPECT_EQ(button->label()->palette().color(button->label()->foregroundRole()), window);
    QPalette dark = host.palette();
    dark.setColor(QPalette::Window, QColor(20, 20, 20));
    host.setPalette(dark);
    EXPECT_EQ(button->label()->palette().color(button->label()->foregroundRole()), QColor(20, 20, 20));
    const QImage image = button->grab().toImage();
    const QPoint inside(button->width() / 2, button->height() / 2);
    EXPECT_NE(image.pixelColor(inside), QColor(20, 20, 20)); // filled with the text colour
}
