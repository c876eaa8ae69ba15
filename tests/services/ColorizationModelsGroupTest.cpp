#include "services/ColorizationModelsGroup.h"

#include "support/CoreServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace pigmo;

namespace {

class ColorizationModelsGroupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C"})
            QDir(dir.path()).mkdir(name);
    }
    Folder url(const QString& name) const { return *Folder::fromPath(dir.filePath(name)); }
    QStringList names(const ColorizationModelsGroup& group) const
    {
        QStringList result;
        for (const auto& model : group.models())
            result.append(model->folder().name());
        return result;
    }
    QTemporaryDir dir{QDir::homePath() + "/group-XXXXXX"};
    test::CoreServices services;
};

TEST_F(ColorizationModelsGroupTest, EmptyGroupThenAddingSelectsTheFirst)
{
    ColorizationModelsGroup group({}, false, services.colorization());
    EXPECT_TRUE(group.models().isEmpty());
    EXPECT_FALSE(group.currentIndex());
    EXPECT_FALSE(group.currentModel());
    group.addFolders({url("A"), url("B")});
    EXPECT_EQ(group.currentIndex(), 0);
    EXPECT_EQ(group.currentModel()->folder(), url("A"));
}

TEST_F(ColorizationModelsGroupTest, AFolderIsNeverAddedTwice)
{
    ColorizationModelsGroup group({url("A"), *Folder::fromPath(dir.path() + "/./A/"), url("B")}, false,
                                  services.colorization());
    EXPECT_EQ(names(group), (QStringList{"A", "B"}));
    QSignalSpy changed(&group, &ColorizationModelsGroup::changed);
    group.addFolders({url("A")});
    EXPECT_EQ(changed.count(), 1); // nothing added, still one notification
    group.addFolders({url("C"), url("C"), *Folder::fromPath(dir.path() + "//C")});
    EXPECT_EQ(names(group), (QStringList{"A", "B", "C"}));
}

TEST_F(ColorizationModelsGroupTest, RemovingKeepsTheCurrentFolderCurrent)
{
    ColorizationModelsGroup group({url("A"), url("B"), url("C")}, false, services.colorization());
    group.select(url("C"));
    group.remove(url("C"));
    EXPECT_EQ(group.currentIndex(), 1); // the last current folder gone: the new last one

    ColorizationModelsGroup second({url("A"), url("B"), url("C")}, false, services.colorization());
    second.select(url("B"));
    second.remove(url("A"));
    EXPECT_EQ(second.currentModel()->folder(), url("B"));
    second.remove(url("B"));
    EXPECT_EQ(second.currentModel()->folder(), url("C"));
    second.remove(url("C"));
    EXPECT_FALSE(second.currentIndex());
    second.remove(url("C")); // absent: nothing
}

TEST_F(ColorizationModelsGroupTest, SelectingAnAbsentFolderChangesNothing)
{
    ColorizationModelsGroup group({url("A"), url("B")}, false, services.colorization());
    group.select(url("B"));
    group.select(Folder::unchecked("/nowhere"));
    EXPECT_EQ(group.currentIndex(), 1);
}

TEST_F(ColorizationModelsGroupTest, ModelChangesAreForwarded)
{
    ColorizationModelsGroup group({url("A")}, false, services.colorization());
    QSignalSpy changed(&group, &ColorizationModelsGroup::changed);
    group.currentModel()->setIntensity(0.3);
    EXPECT_GE(changed.count(), 1);
}

} // namespace

TEST_F(ColorizationModelsGroupTest, AGroupThatGoesEndsTheSmartWorkflowsOfItsModels)
{
    // Unstyled folders start their smart workflow; the keyword index is never built here, so the workflows
    // would run on for as long as the models live, reading the services.
    std::weak_ptr<ColorizationViewModel> kept;
    std::weak_ptr<ColorizationViewModel> removed;
    {
        ColorizationModelsGroup group({url("A"), url("B")}, true, services.colorization());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return group.models()[1]->smartLoadingState() == SmartLoadingState::loading; }));
        kept = group.models()[0];
        removed = group.models()[1];
        group.remove(url("B"));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(kept.expired());
    EXPECT_TRUE(removed.expired());
}

TEST_F(ColorizationModelsGroupTest, BulkActionsCopyRandomiseAndColourEveryFolder)
{
    ColorizationModelsGroup group({url("A"), url("B"), url("C")}, false, services.colorization());
    const auto& models = group.models();
    group.select(url("A"));
    models[0]->setColor(HSL{10, 80, 40});
    models[0]->setIconSize(99);
    const Icon glyph = services.icons.lucideIcons().first();
    models[0]->setIcon(glyph);
    group.copyColorFromCurrent();
    EXPECT_EQ(models[1]->color(), (HSL{10, 80, 40}));
    EXPECT_EQ(models[2]->color(), (HSL{10, 80, 40}));
    EXPECT_FALSE(models[1]->icon()) << "copying the colour copies nothing else";
    EXPECT_NE(models[1]->iconSize(), 99);
    group.copyIconFromCurrent();
    EXPECT_EQ(models[2]->icon(), glyph);

    group.randomize(url("B"));
    EXPECT_EQ(models[1]->color().saturation, 70);
    EXPECT_EQ(models[1]->color().lightness, 50);
    EXPECT_EQ(models[0]->color(), (HSL{10, 80, 40})) << "only that folder";
    ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
    group.randomize(url("elsewhere")); // not edited: nothing
    EXPECT_FALSE(group.modelOf(url("elsewhere")));

    group.spreadColors();
    for (int i = 0; i < 3; ++i) {
        const HSL color = models[i]->color();
        EXPECT_GE(color.hue, 0);
        EXPECT_LT(color.hue, 360);
        EXPECT_GE(color.saturation, 60);
        EXPECT_LE(color.saturation, 90);
        EXPECT_GE(color.lightness, 45);
        EXPECT_LE(color.lightness, 65);
        const double gap = std::fmod(models[(i + 1) % 3]->color().hue - color.hue + 360, 360);
        EXPECT_NEAR(gap, 120, 1e-9);
    }
}
