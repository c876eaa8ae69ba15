#include "services/PalettesManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace pigmo;

namespace {

TEST(PalettesManagerTest, BuiltInPalettesInOrderWithNineColoursEach)
{
    QStringList names;
    for (const Palette& palette : PalettesManager::palettes()) {
        names << palette.name;
        EXPECT_EQ(palette.colors.size(), 9) << palette.name.toStdString();
    }
    EXPECT_EQ(names.join(','), "Modern,Pastel,Fiesta,Neon,Ethereal");
    EXPECT_EQ(PalettesManager::palettes()[0].colors[7].hexString(), "2E89BE");
    EXPECT_EQ(PalettesManager::palettes()[3].colors[0].hexString(), "FF0000");
    const HSL etherealRed{0, 70, 65};
    EXPECT_EQ(PalettesManager::palettes()[4].colors[8].hexString(), etherealRed.color().hexString());
}

TEST(PalettesManagerTest, SameColourByAnotherRouteIsAddedOnceAndStoredAsText)
{
    PalettesManager manager;
    manager.addCustomColor(*Color::fromHex(u"2E89BE"));
    manager.addCustomColor(*Color::fromHex(u"5E4EA3"));
    // A colour made from HSL and the same colour read back from its text differ in their channels.
    const Color fromHSL = HSL{4, 80, 55}.color();
    const Color fromText = *Color::fromHex(fromHSL.hexString());
    ASSERT_NE(fromHSL, fromText);
    manager.addCustomColor(fromHSL);
    manager.addCustomColor(fromText);
    EXPECT_EQ(manager.customColors().size(), 3);
    EXPECT_EQ(Preferences::value(prefs::customColors),
              QByteArray(R"(["2E89BE","5E4EA3",")") + fromHSL.hexString().toUtf8() + R"("])");
}

TEST(PalettesManagerTest, RemovingAnAbsentColourWritesNothing)
{
    PalettesManager manager;
    manager.addCustomColor(*Color::fromHex(u"2E89BE"));
    Preferences::remove(prefs::customColors);
    QSignalSpy changed(&manager, &PalettesManager::customColorsChanged);
    manager.removeCustomColor(*Color::fromHex(u"000000"));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(Preferences::contains(prefs::customColors));
    manager.removeCustomColor(*Color::fromHex(u"2e89be"));
    EXPECT_TRUE(manager.customColors().isEmpty());
    EXPECT_EQ(Preferences::value(prefs::customColors), "[]");
}

TEST(PalettesManagerTest, UnreadableEntriesAreDroppedAndDisappearOnSave)
{
    Preferences::setValue(prefs::customColors, QByteArray(R"(["#FF0000","GG0000","00FF00"])"));
    PalettesManager manager;
    ASSERT_EQ(manager.customColors().size(), 2);
    EXPECT_EQ(manager.customColors()[0].hexString(), "FF0000");
    manager.saveCustomColors();
    EXPECT_EQ(Preferences::value(prefs::customColors), R"(["FF0000","00FF00"])");
}

TEST(PalettesManagerTest, UnreadableDataLeavesTheListEmpty)
{
    for (const QByteArray& stored : {QByteArray("not json"), QByteArray(R"({"a":1})"), QByteArray(R"(["FF0000",3])")}) {
        Preferences::setValue(prefs::customColors, stored);
        EXPECT_TRUE(PalettesManager().customColors().isEmpty()) << stored.constData();
    }
}

} // namespace
