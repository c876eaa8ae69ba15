#include "services/OnboardingSuggestionsModel.h"

#include "platform/FolderIcons.h"
#include "platform/UserDirectories.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "smart/SmartTestIndex.h"
#include "storage/BundleResources.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/xattr.h>

using namespace pigmo;
using pigmo::test::waitUntil;
using namespace std::chrono_literals;
using Model = OnboardingSuggestionsModel;

namespace {

ColorizationData styleOf(double hue)
{
    ColorizationData data;
    data.color = HSL{hue, 80, 50};
    data.intensity = 0.6;
    data.iconSize = 150;
    return data;
}

QStringList names(const QList<QString>& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(QFileInfo(path).fileName());
    return result;
}

class OnboardingSuggestionsModelTest : public testing::Test {
protected:
    OnboardingSuggestionsModelTest()
    {
        EXPECT_TRUE(scratch.isValid());
        sources.catalogues.lucide = {test::bundledLucideIcon(QStringLiteral("receipt")),
                                     test::bundledLucideIcon(QStringLiteral("camera")),
                                     test::bundledLucideIcon(QStringLiteral("plane"))};
        sources.languages = {QStringLiteral("en")};
        sources.writeFile(QStringLiteral("lucide_keywords_en"),
                          R"({"receipt": {"invoices": 3}, "camera": {"photos": 3}, "plane": {"travel": 3}})");
    }

    // The German desktop and documents of the user directories, their shared and templates folders.
    Model::Roots roots() const
    {
        const QString home = scratch.path();
        return Model::Roots::of({home, home + QStringLiteral("/Schreibtisch"), home + QStringLiteral("/Dokumente"),
                                 home + QStringLiteral("/Öffentlich"), home + QStringLiteral("/Vorlagen")});
    }

    QString folder(const QString& relative) const
    {
        const QString path = scratch.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    void style(const QString& path, double hue = 30) const
    {
        attributes.writeSettings(styleOf(hue), path);
        ASSERT_TRUE(attributes.readSettings(path));
    }

    std::unique_ptr<Model> makeModel()
    {
        return std::make_unique<Model>(Model::Services{icons, attributes, styler}, roots());
    }

    // Scans and waits for the proposals.
    std::unique_ptr<Model> scanned()
    {
        auto model = makeModel();
        model->startScan();
        EXPECT_TRUE(waitUntil([&] { return model->isScanReady(); }));
        return model;
    }

    QTemporaryDir scratch;
    pigmo::test::TestSources sources;
    Executors executors;
    SmartIconService icons{[this] { return sources.sources(); }};
    const ExtendedAttributesManager attributes{};
    ColorizationHistoryStore history;
    FolderStyler styler{executors, history, attributes, icons};
};

} // namespace

TEST_F(OnboardingSuggestionsModelTest, CandidatesAreInterleavedDesktopDocumentsHomeByName)
{
    for (const char* name : {"c", "A", "b"})
        folder(QStringLiteral("Schreibtisch/") + QLatin1String(name));
    for (const char* name : {"Y", "x"})
        folder(QStringLiteral("Dokumente/") + QLatin1String(name));
    style(folder(QStringLiteral("Schreibtisch")));
    style(folder(QStringLiteral("Dokumente")));

    EXPECT_EQ(names(Model::candidateFolders(12, roots(), attributes)), (QStringList{"A", "x", "b", "Y", "c"}));
    EXPECT_EQ(names(Model::candidateFolders(3, roots(), attributes)), (QStringList{"A", "x", "b"}));
    EXPECT_TRUE(Model::candidateFolders(0, roots(), attributes).isEmpty());
}

TEST_F(OnboardingSuggestionsModelTest, AtMostTwelveAreTakenEndingInTheMiddleOfAPass)
{
    for (int i = 0; i < 6; ++i) {
        folder(QStringLiteral("Schreibtisch/d%1").arg(i));
        folder(QStringLiteral("h%1").arg(i));
    }
    folder(QStringLiteral("Dokumente/o0"));
    const QStringList taken = names(Model::candidateFolders(Model::maxSuggestions, roots(), attributes));
    ASSERT_EQ(taken.size(), 12);
    EXPECT_EQ(taken.mid(0, 5), (QStringList{"d0", "o0", "Dokumente", "d1", "h0"}))
        << "the home's own folders count too; an exhausted list is passed over";
    EXPECT_EQ(taken.mid(9), (QStringList{"d4", "h3", "d5"})) << "the twelfth opens the sixth pass";
}

TEST_F(OnboardingSuggestionsModelTest, ExcludedNamesHiddenLinksFilesAndStyledFoldersAreNoCandidates)
{
    for (const char* name : {"Library", "Applications", "Public", "snap", "Öffentlich", "Vorlagen", ".hidden"})
        folder(QString::fromUtf8(name));
    folder(QStringLiteral("Dokumente/Library"));
    style(folder(QStringLiteral("Dokumente/Styled")));
    style(folder(QStringLiteral("Dokumente")));
    folder(QStringLiteral("Projects"));
    QFile(scratch.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(scratch.filePath(QStringLiteral("Projects")), scratch.filePath(QStringLiteral("Link"))));
    // A broken attribute is no style.
    const QString broken = folder(QStringLiteral("Broken"));
    ASSERT_EQ(::setxattr(QFile::encodeName(broken).constData(),
                         ("user." + ExtendedAttributesManager::attributeName).toUtf8().constData(), "{", 1, 0),
              0);

    EXPECT_EQ(names(Model::candidateFolders(12, roots(), attributes)), (QStringList{"Library", "Broken", "Projects"}))
        << "Schreibtisch is missing and passed over; Library counts inside the documents";
}

TEST_F(OnboardingSuggestionsModelTest, SortingIgnoresCaseAndKeepsEqualNamesInOrder)
{
    QStringList paths{"/a/beta", "/b/Alpha", "/c/alpha", "/d/Gamma"};
    Model::sortByName(paths);
    EXPECT_EQ(paths, (QStringList{"/b/Alpha", "/c/alpha", "/a/beta", "/d/Gamma"}));
}

TEST_F(OnboardingSuggestionsModelTest, TheScanProposesAStyleAndPreviewForEachFolderWithAGlyph)
{
    const QString invoices = folder(QStringLiteral("Dokumente/Invoices"));
    folder(QStringLiteral("Dokumente/Tax")); // three letters and no keyword: no glyph, no proposal
    const QString photos = folder(QStringLiteral("Schreibtisch/Photos"));
    style(folder(QStringLiteral("Schreibtisch/Styled")), 200);
    style(folder(QStringLiteral("Schreibtisch")));
    style(folder(QStringLiteral("Dokumente")));

    auto model = makeModel();
    QSignalSpy published(model.get(), &Model::suggestionsChanged);
    model->startScan();
    model->startScan();
    EXPECT_TRUE(model->hasStartedScan());
    EXPECT_FALSE(model->isScanReady());
    ASSERT_TRUE(waitUntil([&] { return model->isScanReady(); }));
    EXPECT_EQ(published.count(), 1) << "published once, whole";

    const QList<Model::Suggestion>& suggestions = model->suggestions();
    ASSERT_EQ(suggestions.size(), 2);
    EXPECT_EQ(suggestions[0].path, photos);
    EXPECT_EQ(suggestions[0].parentName, QStringLiteral("Schreibtisch"));
    EXPECT_EQ(suggestions[0].data.icon->name, QStringLiteral("camera"));
    EXPECT_NE(suggestions[0].data.color.hue, 200) << "a hue apart from the styled sibling";
    EXPECT_EQ(suggestions[1].path, invoices);
    EXPECT_EQ(suggestions[1].data.icon->name, QStringLiteral("receipt"));
    for (const Model::Suggestion& suggestion : suggestions) {
        EXPECT_TRUE(suggestion.isSelected);
        EXPECT_EQ(suggestion.preview.size(), QSize(512, 512));
        EXPECT_TRUE(suggestion.data.iconSize.has_value());
    }
    EXPECT_NE(suggestions[0].id, suggestions[1].id);
    EXPECT_EQ(model->selectedCount(), 2);
}

TEST_F(OnboardingSuggestionsModelTest, AnIndexStillBeingBuiltIsWaitedFor)
{
    folder(QStringLiteral("Travel"));
    icons.setBuildDelayForTesting(600ms);
    ASSERT_FALSE(icons.isReady());
    auto model = scanned();
    ASSERT_EQ(model->suggestions().size(), 1);
    EXPECT_EQ(model->suggestions()[0].data.icon->name, QStringLiteral("plane"));
}

TEST_F(OnboardingSuggestionsModelTest, NothingToProposeStillEndsTheScan)
{
    auto model = scanned();
    EXPECT_TRUE(model->suggestions().isEmpty());
    EXPECT_EQ(model->selectedCount(), 0);
}

TEST_F(OnboardingSuggestionsModelTest, TogglingFlipsOneProposalAndUnknownIdsChangeNothing)
{
    folder(QStringLiteral("Photos"));
    folder(QStringLiteral("Travel"));
    auto model = scanned();
    ASSERT_EQ(model->suggestions().size(), 2);
    const QUuid first = model->suggestions()[0].id;
    QSignalSpy changed(model.get(), &Model::suggestionsChanged);
    model->toggle(first);
    EXPECT_FALSE(model->suggestions()[0].isSelected);
    EXPECT_EQ(model->selectedCount(), 1);
    model->toggle(first);
    EXPECT_TRUE(model->suggestions()[0].isSelected);
    model->toggle(QUuid::createUuid());
    EXPECT_EQ(model->selectedCount(), 2);
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(OnboardingSuggestionsModelTest, ApplyingStylesTheChosenFoldersAndCountsARefusedOne)
{
    const QString photos = folder(QStringLiteral("Photos"));
    const QString travel = folder(QStringLiteral("Travel"));
    const QString invoices = folder(QStringLiteral("Invoices"));
    auto model = scanned();
    ASSERT_EQ(names(model->suggestions().size() == 3
                        ? QList<QString>{model->suggestions()[0].path, model->suggestions()[1].path,
                                         model->suggestions()[2].path}
                        : QList<QString>{}),
              (QStringList{"Invoices", "Photos", "Travel"}));
    model->toggle(model->suggestions()[1].id);     // Photos stays as it is
    ASSERT_TRUE(QDir(travel).removeRecursively()); // gone while the user chose: its icon cannot be set

    model->applySelected();
    model->applySelected();
    EXPECT_TRUE(model->isApplying());
    ASSERT_TRUE(waitUntil([&] { return model->isDoneApplying(); }));
    EXPECT_EQ(model->appliedCount(), 2);
    EXPECT_EQ(model->failedCount(), 1);
    EXPECT_TRUE(model->isApplying()) << "never reset";

    const std::optional<ColorizationData> written = attributes.readSettings(invoices);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, model->suggestions()[0].data);
    QFile directoryFile(invoices + QStringLiteral("/.directory"));
    ASSERT_TRUE(directoryFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(directoryFile.readAll().contains("Icon="));
    ASSERT_TRUE(waitUntil([&] { return history.folderStyles().contains(invoices); }));
    EXPECT_EQ(history.folderStyles().value(invoices), model->suggestions()[0].data);

    EXPECT_FALSE(attributes.readSettings(photos)) << "not selected";
    EXPECT_FALSE(QFile::exists(photos + QStringLiteral("/.directory")));
    EXPECT_FALSE(history.folderStyles().contains(photos));
    EXPECT_FALSE(history.folderStyles().contains(travel)) << "no history for a folder whose icon did not take";
}

TEST_F(OnboardingSuggestionsModelTest, ApplyingNothingSelectedFinishesAtOnceTouchingNoFolder)
{
    const QString photos = folder(QStringLiteral("Photos"));
    auto model = scanned();
    ASSERT_EQ(model->suggestions().size(), 1);
    model->toggle(model->suggestions()[0].id);
    model->applySelected();
    EXPECT_TRUE(model->isDoneApplying()) << "at once";
    EXPECT_EQ(model->appliedCount(), 0);
    EXPECT_FALSE(attributes.readSettings(photos));
}

TEST_F(OnboardingSuggestionsModelTest, ShortPathsReplaceTheHomeOnlyAtAPathBoundary)
{
    const QString separator = QStringLiteral(" \u203A ");
    EXPECT_EQ(Model::displayPath(QStringLiteral("/home/al"), QStringLiteral("/home/al")), QStringLiteral("~"));
    EXPECT_EQ(Model::displayPath(QStringLiteral("/home/al/"), QStringLiteral("/home/al")), QStringLiteral("~"));
    EXPECT_EQ(Model::displayPath(QStringLiteral("/home/al/Schreibtisch"), QStringLiteral("/home/al")),
              QStringLiteral("~") + separator + QStringLiteral("Schreibtisch"));
    EXPECT_EQ(Model::displayPath(QStringLiteral("/home/alice/Desktop"), QStringLiteral("/home/al")),
              QStringLiteral("home") + separator + QStringLiteral("alice") + separator + QStringLiteral("Desktop"))
        << "another user's home that merely begins alike";
    EXPECT_EQ(Model::displayPath(QStringLiteral("/srv/data"), QStringLiteral("/home/al/")),
              QStringLiteral("srv") + separator + QStringLiteral("data"));
}

TEST_F(OnboardingSuggestionsModelTest, ProposalsAreGroupedByParentInTheOrderOfTheirFirstProposal)
{
    folder(QStringLiteral("Schreibtisch/Photos"));
    folder(QStringLiteral("Schreibtisch/Travel"));
    folder(QStringLiteral("Dokumente/Invoices"));
    style(folder(QStringLiteral("Schreibtisch")));
    folder(QStringLiteral("Dokumente")); // a proposal of the home: its name is no keyword but long enough
    auto model = scanned();
    const QList<Model::Group> groups = Model::groupedByParent(model->suggestions());
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].parent, scratch.filePath(QStringLiteral("Schreibtisch")));
    EXPECT_EQ(names({groups[0].items[0].path, groups[0].items[1].path}), (QStringList{"Photos", "Travel"}));
    EXPECT_EQ(groups[1].parent, scratch.filePath(QStringLiteral("Dokumente")));
    EXPECT_EQ(groups[1].items.size(), 1);
    EXPECT_EQ(groups[2].parent, scratch.path());
    EXPECT_EQ(names({groups[2].items[0].path}), (QStringList{"Dokumente"}));
}
