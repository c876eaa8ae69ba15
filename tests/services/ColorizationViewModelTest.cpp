#include "services/ColorizationViewModel.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

ColorizationData style(double hue, std::optional<double> size = 120)
{
    return ColorizationData{HSL{hue, 60, 40}, 0.8, std::nullopt, size, IconStyle::inverted()};
}

// Folders of its own in a temporary directory of the test's home (a real file system with user attributes).
class ColorizationViewModelTest : public ::testing::Test {
protected:
    Folder folder(const QString& name)
    {
        QDir(dir.path()).mkpath(name);
        return *Folder::fromPath(dir.filePath(name));
    }
    void waitForCompletion(bool& done)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    }

    QTemporaryDir dir{QDir::homePath() + "/folders-XXXXXX"};
    test::LogCapture log;
    test::CoreServices services;
    FolderStyler styler{services.executors, services.history, services.attributes, services.smartIcons};
};

TEST_F(ColorizationViewModelTest, AttributeStyleWinsOverTheHistory)
{
    const Folder url = folder("Both");
    services.attributes.writeSettings(style(10), url.path());
    services.history.record(url.path(), style(200));
    log.clear();
    auto model = ColorizationViewModel::create(url, true, services.colorization());
    EXPECT_NEAR(model->color().hue, 10, 1e-9);
    EXPECT_EQ(model->iconStyle(), IconStyle::inverted());
    EXPECT_TRUE(log.contains("Loaded settings from extended attributes for " + url.path()));
    EXPECT_FALSE(log.contains("Loaded settings from history store"));
    QTest::qWait(50);
    EXPECT_EQ(model->smartLoadingState(), SmartLoadingState::idle); // a styled folder never runs it
}

TEST_F(ColorizationViewModelTest, HistoryStyleWithoutSizeKeepsTheDefaultSize)
{
    const Folder url = folder("History");
    services.history.record(url.path(), style(200, std::nullopt));
    auto model = ColorizationViewModel::create(url, false, services.colorization());
    EXPECT_NEAR(model->color().hue, 200, 1e-9);
    EXPECT_EQ(model->iconSize(), 170);
    EXPECT_TRUE(log.contains("Loaded settings from history store for " + url.path()));
}

TEST_F(ColorizationViewModelTest, UnstyledFolderShowsDefaultsAndRunsSmartOnlyWhenAsked)
{
    const Folder url = folder("Fresh");
    auto quiet = ColorizationViewModel::create(url, false, services.colorization());
    EXPECT_TRUE(log.contains("No settings found in attributes or history for " + url.path() + ". Using defaults."));
    EXPECT_EQ(quiet->lastUsedData(),
              (ColorizationData{HSL{195, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()}));
    EXPECT_FALSE(quiet->image().isNull());
    auto eager = ColorizationViewModel::create(url, true, services.colorization());
    QTest::qWait(20);
    EXPECT_EQ(quiet->smartLoadingState(), SmartLoadingState::idle);
    EXPECT_EQ(eager->smartLoadingState(), SmartLoadingState::loading);
    // A running workflow keeps its model alive; let it end so the model is released.
    services.smartIcons.buildIndexIfNeeded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return eager->smartLoadingState() == SmartLoadingState::idle; }, 30000));
}

TEST_F(ColorizationViewModelTest, EachChangeRendersTheWholeCurrentStyle)
{
    auto model = ColorizationViewModel::create(folder("Live"), false, services.colorization());
    model->setIconStyle(IconStyle::original());
    QSignalSpy rendered(model.get(), &ColorizationViewModel::imageChanged);
    model->setIntensity(0.25);
    EXPECT_EQ(rendered.count(), 1);
    EXPECT_EQ(model->lastUsedData(),
              (ColorizationData{HSL{195, 100, 50}, 0.25, std::nullopt, 170, IconStyle::original()}));
    model->resetToDefaults();
    EXPECT_EQ(model->lastUsedData(),
              (ColorizationData{HSL{195, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()}));
}

TEST_F(ColorizationViewModelTest, SetIconWritesAttributeAndHistoryBeforeTheCompletion)
{
    const Folder url = folder("Invoices");
    auto model = ColorizationViewModel::create(url, false, services.colorization(&styler));
    const ColorizationData data = style(30);
    bool done = false, succeeded = false, recordedFirst = false;
    model->setFolderIcon(data, [&](bool ok) {
        recordedFirst = services.history.folderStyles().contains(url.path());
        succeeded = ok;
        done = true;
    });
    waitForCompletion(done);
    EXPECT_TRUE(succeeded);
    EXPECT_TRUE(recordedFirst);
    EXPECT_EQ(services.attributes.readSettings(url.path()), data);
    EXPECT_TRUE(log.contains("Successfully set folder icon on " + url.path()));
    EXPECT_TRUE(log.contains("setting icon for: " + url.path() + " on thread: "));
}

TEST_F(ColorizationViewModelTest, RefusedSetIconTouchesNothingAndReportsFalse)
{
    const Folder url = folder("Gone");
    auto model = ColorizationViewModel::create(url, false, services.colorization(&styler));
    QDir(url.path()).removeRecursively();
    bool done = false, succeeded = true;
    model->setFolderIcon(style(30), [&](bool ok) {
        succeeded = ok;
        done = true;
    });
    waitForCompletion(done);
    EXPECT_FALSE(succeeded);
    EXPECT_FALSE(services.history.folderStyles().contains(url.path()));
    EXPECT_TRUE(log.contains("Failed to set folder icon on " + url.path()));
}

TEST_F(ColorizationViewModelTest, NonFiniteStyleIsRefusedBeforeTheFolderIsTouched)
{
    const Folder url = folder("Infinite");
    auto model = ColorizationViewModel::create(url, false, services.colorization(&styler));
    ColorizationData data = style(30);
    data.iconSize = std::numeric_limits<double>::infinity();
    bool done = false, succeeded = true;
    model->setFolderIcon(data, [&](bool ok) {
        succeeded = ok;
        done = true;
    });
    waitForCompletion(done);
    EXPECT_FALSE(succeeded);
    EXPECT_TRUE(log.contains("Refused to style " + url.path() + ": the style holds a non-finite number."));
    EXPECT_FALSE(QFileInfo::exists(url.path() + "/.directory")) << "no icon set";
    EXPECT_FALSE(services.attributes.readSettings(url.path()));
    EXPECT_FALSE(services.history.folderStyles().contains(url.path()));
}

TEST_F(ColorizationViewModelTest, ResetShowsDefaultsAtOnceAndForgetsTheCurrentStyleOnly)
{
    const Folder url = folder("Reset");
    auto model = ColorizationViewModel::create(url, false, services.colorization(&styler));
    bool done = false;
    model->setFolderIcon(style(30), [&](bool) { done = true; });
    waitForCompletion(done);
    model->apply(style(30));

    done = false;
    bool succeeded = false;
    model->resetFolderIcon([&](bool ok) {
        succeeded = ok;
        done = true;
    });
    EXPECT_EQ(model->color(), (HSL{195, 100, 50})); // before the removal ran
    waitForCompletion(done);
    EXPECT_TRUE(succeeded);
    EXPECT_FALSE(services.history.folderStyles().contains(url.path()));
    EXPECT_FALSE(services.attributes.readSettings(url.path()));
    services.history.loadChronologicalLog();
    EXPECT_EQ(services.history.chronologicalLog().size(), 1);
    EXPECT_TRUE(log.contains("Folder icon reset successfully for " + url.path() + "!"));
}

TEST_F(ColorizationViewModelTest, FailedResetShowsTheStyleTheFolderStillHas)
{
    const Folder url = folder("Stuck");
    services.history.record(url.path(), style(300));
    auto model = ColorizationViewModel::create(url, false, services.colorization(&styler));
    QDir(url.path()).removeRecursively(); // the removal will be refused
    bool done = false, succeeded = true;
    model->resetFolderIcon([&](bool ok) {
        succeeded = ok;
        done = true;
    });
    waitForCompletion(done);
    EXPECT_FALSE(succeeded);
    EXPECT_NEAR(model->color().hue, 300, 1e-9);
    EXPECT_TRUE(log.contains("Failed to reset folder icon on " + url.path()));
}

TEST_F(ColorizationViewModelTest, SmartWorkflowTimeline)
{
    services.smartIcons.buildIndexIfNeeded();
    ASSERT_TRUE(QTest::qWaitFor([this] { return services.smartIcons.isReady(); }, 30000));
    auto model = ColorizationViewModel::create(folder("Music"), false, services.colorization());
    QList<std::pair<SmartLoadingState, qint64>> states;
    QElapsedTimer clock;
    QObject::connect(model.get(), &ColorizationViewModel::smartLoadingStateChanged, [&](SmartLoadingState state) {
        states.append({state, clock.elapsed()});
    });
    clock.start();
    model->runSmartWorkflow();
    model->runSmartWorkflow(); // a second press while loading does nothing
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.size() == 3; }, 5000));
    EXPECT_EQ(states[0].first, SmartLoadingState::loading);
    EXPECT_EQ(states[1].first, SmartLoadingState::success);
    EXPECT_EQ(states[2].first, SmartLoadingState::idle);
    EXPECT_GE(states[1].second, 950);
    EXPECT_LT(states[1].second, 4000); // generous: sanitizer builds on a loaded machine
    EXPECT_GE(states[2].second - states[1].second, 695);
    EXPECT_LT(states[2].second - states[1].second, 3000);
    EXPECT_TRUE(model->icon().has_value());
    EXPECT_TRUE(log.contains("[Smart] ✅ Smart workflow complete for: Music"));
}

TEST_F(ColorizationViewModelTest, SmartWorkflowStartedBeforeTheIndexIsReadyEndsWithAGlyph)
{
    services.smartIcons.setBuildDelayForTesting(1500ms);
    services.smartIcons.rebuildIndex();
    auto model = ColorizationViewModel::create(folder("Recipes"), true, services.colorization());
    QSignalSpy states(model.get(), &ColorizationViewModel::smartLoadingStateChanged);
    QTest::qWait(1200);
    EXPECT_EQ(model->smartLoadingState(), SmartLoadingState::loading); // animating past its 12 frames
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->smartLoadingState() == SmartLoadingState::success; }, 30000));
    EXPECT_TRUE(model->icon().has_value());
}

} // namespace

TEST_F(ColorizationViewModelTest, AModelWithoutAStylerWritesNothing)
{
    const Folder url = folder("Scene");
    auto model = ColorizationViewModel::create(url, false, services.colorization());
    bool applied = true, removed = true;
    model->setFolderIcon(style(30), [&](bool ok) { applied = ok; });
    model->removeFolderIcon([&](bool ok) { removed = ok; });
    EXPECT_FALSE(applied);
    EXPECT_FALSE(removed);
    EXPECT_FALSE(services.attributes.readSettings(url.path()));
    EXPECT_FALSE(services.history.folderStyles().contains(url.path()));
}
