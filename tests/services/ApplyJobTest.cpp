#include "services/ApplyJob.h"

#include "platform/FolderIcons.h"
#include "platform/GvfsMetadata.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

// Folders of their own in the test's home (a real file system with user attributes and gvfs metadata),
// edited in a group that writes through a real folder styler.
class ApplyJobTest : public ::testing::Test {
protected:
    Folder folder(const QString& name)
    {
        EXPECT_TRUE(QDir(dir.path()).mkpath(name));
        return *Folder::fromPath(dir.filePath(name));
    }
    // Runs a job over the group's models to its end; its failures.
    QList<Folder> apply(ColorizationModelsGroup& group, const QList<Folder>& shownBefore = {})
    {
        ApplyJob job(group.models(), &styler);
        QSignalSpy finished(&job, &ApplyJob::finished);
        job.start(shownBefore);
        EXPECT_TRUE(finished.count() > 0 || finished.wait(30000));
        return job.failures();
    }
    QByteArray historyLog() const
    {
        QFile file(services.history.storageDirectory() + "/" + ColorizationHistoryStore::logFileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll().replace("\\/", "/") : QByteArray();
    }

    QTemporaryDir dir{QDir::homePath() + "/applied-XXXXXX"};
    test::LogCapture log;
    test::CoreServices services;
    FolderStyler styler{services.executors, services.history, services.attributes, services.smartIcons};
};

} // namespace

TEST_F(ApplyJobTest, AppliesEveryStyleInOrderAndWritesTheHistoryOnceAtTheEnd)
{
    const Folder a = folder("a"), gone = folder("gone"), b = folder("b");
    ColorizationModelsGroup group({a, gone, b}, false, services.colorization(&styler));
    group.models()[0]->setColor(HSL{300, 80, 50});
    group.models()[2]->setColor(HSL{40, 90, 55});
    ASSERT_TRUE(QDir(gone.path()).removeRecursively()); // it cannot take an icon
    QList<std::pair<Folder, bool>> reports;
    bool writtenBeforeTheEnd = false;
    ApplyJob job(group.models(), &styler);
    QObject::connect(&job, &ApplyJob::folderApplied, [&](const Folder& folder, bool succeeded) {
        reports.append({folder, succeeded});
        writtenBeforeTheEnd |= historyLog().contains(QFile::encodeName(a.path()));
    });
    QSignalSpy finished(&job, &ApplyJob::finished);
    job.start();
    ASSERT_TRUE(finished.wait(30000));

    EXPECT_EQ(reports, (QList<std::pair<Folder, bool>>{{a, true}, {gone, false}, {b, true}}));
    EXPECT_EQ(finished.first().first().value<QList<Folder>>(), QList<Folder>{gone});
    EXPECT_EQ(job.failures(), QList<Folder>{gone});
    EXPECT_TRUE(log.contains("Could not change the icon of: gone"));
    for (const Folder& styled : {a, b}) {
        const qsizetype index = styled == a ? 0 : 2;
        EXPECT_FALSE(GvfsMetadata::customIcon(styled.path()).isEmpty());
        EXPECT_EQ(services.attributes.readSettings(styled.path()), group.models()[index]->lastUsedData());
        EXPECT_TRUE(services.history.folderStyles().contains(styled.path()));
    }
    services.history.waitForWrites(); // the batch's one write is the writer thread's
    EXPECT_FALSE(writtenBeforeTheEnd) << "the history is written once, when the job ends";
    EXPECT_TRUE(historyLog().contains(QFile::encodeName(b.path())));
}

// A folder still being styled by the smart workflow shows its old style (and frames of the loading
// animation) until its proposal is ready: that proposal is what it takes.
TEST_F(ApplyJobTest, AFolderStillBeingStyledByTheSmartWorkflowTakesItsProposal)
{
    services.smartIcons.setBuildDelayForTesting(1500ms); // the workflow waits for the index
    services.smartIcons.rebuildIndex();
    const Folder recipes = folder("Recipes");
    ColorizationModelsGroup group({recipes}, true, services.colorization(&styler));
    const ColorizationModelsGroup::Model model = group.models().first();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->smartLoadingState() == SmartLoadingState::loading; }, 5000));
    const ColorizationData before = *model->lastUsedData();

    EXPECT_TRUE(apply(group).isEmpty());
    EXPECT_NE(model->smartLoadingState(), SmartLoadingState::loading);
    const std::optional<ColorizationData> stored = services.attributes.readSettings(recipes.path());
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, *model->lastUsedData());
    EXPECT_NE(*stored, before);
    EXPECT_TRUE(stored->icon) << "the proposal's glyph";
}

// The icons the folders show before the job are read ahead of its first write.
TEST_F(ApplyJobTest, ReadsTheIconsShownBeforeAheadOfEveryWrite)
{
    const Folder a = folder("a"), b = folder("b");
    ColorizationModelsGroup group({a, b}, false, services.colorization(&styler));
    group.models()[0]->setColor(HSL{0, 90, 50});
    ASSERT_TRUE(apply(group).isEmpty());
    const QImage red = FolderIcons::icon(a.path());
    ASSERT_FALSE(red.isNull());

    group.models()[0]->setColor(HSL{220, 90, 50});
    ApplyJob job(group.models(), &styler);
    QSignalSpy before(&job, &ApplyJob::iconsBefore);
    QSignalSpy finished(&job, &ApplyJob::finished);
    job.start({a});
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_EQ(before.count(), 1);
    EXPECT_EQ(before.first().first().value<QList<QImage>>(), QList<QImage>{red});
    EXPECT_NE(FolderIcons::icon(a.path()), red) << "the new icon was set";
}

TEST_F(ApplyJobTest, WithoutAStylerEveryFolderKeepsItsIcon)
{
    const Folder a = folder("a");
    ColorizationModelsGroup group({a}, false, services.colorization());
    ApplyJob job(group.models(), nullptr);
    QSignalSpy finished(&job, &ApplyJob::finished);
    job.start({a});
    ASSERT_TRUE(finished.count() > 0 || finished.wait(5000));
    EXPECT_EQ(job.failures(), QList<Folder>{a});
    EXPECT_FALSE(services.attributes.readSettings(a.path()));
}
