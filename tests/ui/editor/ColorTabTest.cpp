#include "ui/editor/ColorTab.h"

#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"
#include "support/WidgetInput.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/IntensityDotControl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

HistoryLogEntry entry(double hue, double lightness = 50)
{
    return {QStringLiteral("/tmp/folder"),
            ColorizationData{HSL{hue, 60, lightness}, 0.6, std::nullopt, 170, IconStyle::vibrant()},
            historyTimestampNow()};
}

struct ColorTabFixture : ::testing::Test {
    QTemporaryDir folder;
    test::CoreServices services;
    std::shared_ptr<ColorizationViewModel> model =
        ColorizationViewModel::create(*Folder::fromPath(folder.path()), false, services.colorization());
    ColorizationHistoryStore store;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};

    std::unique_ptr<ColorTab> makeTab()
    {
        auto tab = std::make_unique<ColorTab>(model, store, localization);
        tab->resize(380, 520);
        tab->show();
        return tab;
    }
};

} // namespace

TEST_F(ColorTabFixture, ShowingALoadedStyleNeverChangesIt)
{
    const HSL loaded{123.6, 44.9999, 50.5};
    model->setColor(loaded);
    model->setIntensity(0.65);
    QSignalSpy changes(model.get(), &ColorizationViewModel::styleChanged);
    auto tab = makeTab();
    EXPECT_EQ(tab->slider(HSLComponent::hue)->field()->text(), QStringLiteral("124"));
    EXPECT_EQ(tab->slider(HSLComponent::saturation)->field()->text(), QStringLiteral("45"));
    tab->slider(HSLComponent::hue)->field()->setFocus();
    tab->slider(HSLComponent::lightness)->field()->setFocus();
    tab->hexField()->setFocus();
    QTest::qWait(150); // the tab's delayed unfocusing of the hexadecimal field
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(model->color(), loaded);
    EXPECT_EQ(model->intensity(), 0.65);
    EXPECT_EQ(tab->intensityDots()->selectedIndex(), -1); // 0.65 is none of the dots
}

TEST_F(ColorTabFixture, EachSliderDragChangesExactlyItsChannelAndThePreview)
{
    model->setColor({100, 50, 50});
    auto tab = makeTab();
    const QImage before = model->image();
    for (HSLComponent component : {HSLComponent::hue, HSLComponent::saturation, HSLComponent::lightness}) {
        const HSL was = model->color();
        CustomGradientSlider* track = tab->slider(component)->slider();
        test::drag(track, {0, 10}, {track->usableLength() / 4, 10});
        const double quarter = HSLSlider::upperBound(component) / 4;
        const HSL now = model->color();
        EXPECT_DOUBLE_EQ(component == HSLComponent::hue          ? now.hue
                         : component == HSLComponent::saturation ? now.saturation
                                                                 : now.lightness,
                         quarter);
        EXPECT_EQ(component == HSLComponent::hue ? now.saturation : now.hue,
                  component == HSLComponent::hue ? was.saturation : was.hue);
        EXPECT_EQ(tab->slider(component)->field()->text(), HSLSlider::textOfValue(quarter));
    }
    EXPECT_NE(model->image(), before);
    EXPECT_EQ(tab->hexField()->text(), model->color().color().hexString());
}

TEST_F(ColorTabFixture, TypingInAChannelFieldWritesTheLimitedNumber)
{
    model->setColor({100, 50, 50});
    auto tab = makeTab();
    test::retype(tab->slider(HSLComponent::saturation)->field(), QStringLiteral("250"));
    EXPECT_EQ(model->color(), (HSL{100, 100, 50}));
    test::retype(tab->slider(HSLComponent::hue)->field(), QStringLiteral("x"));
    EXPECT_EQ(model->color(), (HSL{100, 100, 50}));
}

TEST_F(ColorTabFixture, TheHexFieldAcceptsSixDigitsWithOrWithoutHashAndIgnoresTheRest)
{
    auto tab = makeTab();
    test::retype(tab->hexField(), QStringLiteral("FF0000"));
    EXPECT_EQ(model->color(), *HSL::fromColor({1, 0, 0, 1}));
    test::retype(tab->hexField(), QStringLiteral("#00ff00"));
    EXPECT_EQ(model->color(), *HSL::fromColor({0, 1, 0, 1}));
    const HSL green = model->color();
    test::retype(tab->hexField(), QStringLiteral("FF00"));
    test::retype(tab->hexField(), QStringLiteral("FF00ZZ"));
    EXPECT_EQ(model->color(), green);
}

TEST_F(ColorTabFixture, TheDotsSetAndRingTheExactIntensity)
{
    auto tab = makeTab();
    IntensityDotControl* dots = tab->intensityDots();
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(dots, Qt::LeftButton, {}, dots->dotRect(i).center().toPoint());
        EXPECT_EQ(model->intensity(), ColorTab::intensities[size_t(i)]);
        EXPECT_EQ(dots->selectedIndex(), i);
    }
}

TEST_F(ColorTabFixture, RecentColoursTakeOnePerFiveDegreeBucketNewestFirst)
{
    EXPECT_TRUE(ColorTab::recentColors({}).isEmpty());
    // Oldest first, as the log stores them: orange, red at 2, red at 0 (newest).
    const QList<HSL> recent = ColorTab::recentColors({entry(30), entry(2), entry(0)});
    EXPECT_EQ(recent, (QList<HSL>{HSL{0, 60, 50}, HSL{30, 60, 50}}));
    EXPECT_EQ(ColorTab::recentColors({entry(0), entry(4.9)}).size(), 1);
    EXPECT_EQ(ColorTab::recentColors({entry(359), entry(360)}).size(), 2);
    EXPECT_EQ(ColorTab::recentColors({entry(5, 10), entry(9.99, 90)}), (QList<HSL>{HSL{9.99, 60, 90}}));

    QList<HistoryLogEntry> log;
    for (int i = 0; i < 40; ++i)
        log.append(entry((i % 20) * 10.0));
    const QList<HSL> twelve = ColorTab::recentColors(log);
    ASSERT_EQ(twelve.size(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(twelve[i].hue, (19 - i) * 10.0) << i;
}

TEST_F(ColorTabFixture, RecentSwatchesFollowTheHistoryAndNotTheSliders)
{
    auto tab = makeTab();
    QTRY_VERIFY(store.chronologicalLogLoaded());
    EXPECT_TRUE(tab->recentSwatches().isEmpty()); // an empty history: sliders and presets only
    EXPECT_EQ(tab->presetSwatches().size(), ColorTab::presetColors().size());
    for (int i = 0; i < 12; ++i)
        store.record(QStringLiteral("/tmp/f%1").arg(i), entry(i * 20.0).data);
    const QList<ColorSwatch*> swatches = tab->recentSwatches();
    ASSERT_EQ(swatches.size(), 12);
    EXPECT_EQ(tab->recent().first().hue, 220); // the newest
    EXPECT_EQ(swatches.first()->color(), ui::qColor(HSL{220, 60, 50}.color()));
    QApplication::processEvents(); // lays the new section out
    // Ten to a row: the eleventh starts the next row under the first.
    EXPECT_EQ(swatches[10]->x(), swatches[0]->x());
    EXPECT_GT(swatches[10]->y(), swatches[9]->y());

    CustomGradientSlider* track = tab->slider(HSLComponent::hue)->slider();
    test::drag(track, {0, 10}, {track->usableLength() / 2, 10});
    EXPECT_EQ(tab->recentSwatches(), swatches); // moving a slider rebuilt nothing
}

TEST_F(ColorTabFixture, TheHistoryIsReadOffTheGuiThreadAndTheRecentColoursAppearWhenPublished)
{
    {
        ColorizationHistoryStore writer; // another store writes the log file the tab's store reads
        writer.record(QStringLiteral("/tmp/a"), entry(40).data);
        writer.record(QStringLiteral("/tmp/b"), entry(200).data);
    }
    auto tab = makeTab();
    EXPECT_FALSE(store.chronologicalLogLoaded()); // not read on the GUI thread while the tab was made
    EXPECT_TRUE(store.isLoadingChronologicalLog());
    EXPECT_TRUE(tab->recentSwatches().isEmpty());
    QTRY_VERIFY(store.chronologicalLogLoaded());
    const QList<ColorSwatch*> swatches = tab->recentSwatches();
    ASSERT_EQ(swatches.size(), 2);
    EXPECT_EQ(tab->recent().first().hue, 200); // the newest
    EXPECT_EQ(tab->recent().last().hue, 40);

    // A second tab over the loaded log shows the colours at once and reads nothing again.
    auto second = makeTab();
    EXPECT_FALSE(store.isLoadingChronologicalLog());
    EXPECT_EQ(second->recentSwatches().size(), 2);
}

TEST_F(ColorTabFixture, AnUnreadableHistoryLeavesOnlyTheSlidersAndPresets)
{
    {
        ColorizationHistoryStore writer;
        QFile log(writer.storageDirectory() + u'/' + ColorizationHistoryStore::logFileName);
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write("{ not a log");
    }
    const test::LogCapture quiet; // the store reports the unreadable file and moves it aside
    auto tab = makeTab();
    QTRY_VERIFY(store.chronologicalLogLoaded());
    EXPECT_TRUE(tab->recentSwatches().isEmpty());
    EXPECT_EQ(tab->presetSwatches().size(), ColorTab::presetColors().size());
}

TEST_F(ColorTabFixture, ASwatchSetsTheColourThroughItsDisplayColour)
{
    store.record(QStringLiteral("/tmp/a"), entry(30).data);
    auto tab = makeTab();
    QTRY_COMPARE(tab->recentSwatches().size(), 1);
    QTest::mouseClick(tab->recentSwatches().first(), Qt::LeftButton);
    EXPECT_EQ(model->color(), *HSL::fromColor(HSL{30, 60, 50}.color()));
    QTest::mouseClick(tab->presetSwatches()[3], Qt::LeftButton);
    EXPECT_EQ(model->color(), *HSL::fromColor(ColorTab::presetColors()[3].color()));
}

TEST_F(ColorTabFixture, AnotherFolderGetsFreshSliders)
{
    model->setColor({10, 20, 30});
    auto first = makeTab();
    QTemporaryDir other;
    model = ColorizationViewModel::create(*Folder::fromPath(other.path()), false, services.colorization());
    model->setColor({200, 70, 40});
    auto second = makeTab();
    EXPECT_EQ(second->slider(HSLComponent::hue)->field()->text(), QStringLiteral("200"));
    EXPECT_EQ(first->slider(HSLComponent::hue)->field()->text(), QStringLiteral("10"));
}
