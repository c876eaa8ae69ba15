// The gallery's pictures of the onboarding: every step in the window's size (the tutorials and the watcher
// with their animations part-way through), both timed loading screens part-way through their labels, the
// suggestions with proposals and empty, the folder-access step with and without access, the last step with
// and without folders that could not be styled, the steps with the longest texts in German and Russian, and
// the longest title in French in the smallest window.

#include "GalleryScene.h"
#include "support/CoreServices.h"

#include "ui/settings/SettingsFixture.h"

#include "platform/UserDirectories.h"
#include "services/FolderStyler.h"
#include "services/OnboardingLoadingSequence.h"
#include "services/OnboardingSuggestionsModel.h"
#include "smart/SmartIconService.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/Preferences.h"
#include "ui/onboarding/LoopingVideoView.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingSuggestionsScreen.h"
#include "ui/onboarding/OnboardingView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMovie>
#include <QTemporaryDir>
#include <QTimer>

namespace pigmo::gallery {
namespace {

constexpr int windowWidth = 900;
constexpr int windowHeight = 560;

// Runs the event loop until `done` holds, at most `milliseconds`.
template <typename Condition>
void waitFor(Condition done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// The folders the suggestions are made of: a desktop, documents and folders of the home's own, the names
// chosen to give the smart mode something to find.
const QStringList proposedFolders = {QStringLiteral("Desktop/Invoices"),
                                     QStringLiteral("Desktop/Screenshots"),
                                     QStringLiteral("Desktop/Projects"),
                                     QStringLiteral("Documents/Recipes"),
                                     QStringLiteral("Documents/Taxes"),
                                     QStringLiteral("Documents/Photos"),
                                     QStringLiteral("Documents/Music"),
                                     QStringLiteral("Travel"),
                                     QStringLiteral("Games"),
                                     QStringLiteral("Books"),
                                     QStringLiteral("Code"),
                                     QStringLiteral("Podcasts")};

// The services of the onboarding views, made once for the whole gallery: the settings page's managers, a
// folder-access manager that has no access, and a folder styler (never asked to style anything here).
struct OnboardingManagers {
    test::SettingsManagers managers;
    FDAPermissionManager withoutAccess;
    test::CoreServices core;
    FolderStyler styler{core.executors, core.history, core.attributes, core.smartIcons};
    QTemporaryDir empty;

    OnboardingManagers()
    {
        managers.fullDiskAccess.checkPermission();
        qputenv("FLATPAK_ID", "io.velmar.gallery"); // a sandbox never has folder access
        withoutAccess.checkPermission();
        qunsetenv("FLATPAK_ID");
    }

    // A model over `roots`, or over an empty folder when none are given.
    std::unique_ptr<OnboardingSuggestionsModel> model(std::optional<OnboardingSuggestionsModel::Roots> roots = {})
    {
        if (!roots)
            roots = OnboardingSuggestionsModel::Roots::of({empty.path(), {}, {}, {}, {}});
        return std::make_unique<OnboardingSuggestionsModel>(
            OnboardingSuggestionsModel::Services{core.smartIcons, core.attributes, styler}, std::move(roots));
    }

    OnboardingView::Services services(LocalizationManager& localization, bool access)
    {
        return {managers.folderWatcher,
                managers.iconStyle,
                managers.folderLanguages,
                access ? managers.fullDiskAccess : withoutAccess,
                localization,
                [] { return false; }, // so that a stored folder-access step is resumed at that step
                [this] { return model(); }};
    }
};

OnboardingManagers& onboardingManagers()
{
    static auto* made = new OnboardingManagers;
    return *made;
}

// Holds every animation of `view` still at a frame part-way through its loop (frames can only be read in
// order, so the movie steps there one frame at a time).
void holdAnimationsPartWay(QWidget* view, double fraction)
{
    for (LoopingVideoView* video : view->findChildren<LoopingVideoView*>()) {
        QMovie* movie = video->movie();
        if (!movie)
            continue;
        movie->setPaused(true);
        const int target = qRound(movie->frameCount() * fraction);
        while (movie->currentFrameNumber() < target && movie->jumpToNextFrame()) {
        }
    }
}

// The onboarding as a start with `step` stored resumes it: the whole window, chevrons, dots and all.
QWidget* onboardingAt(GalleryContext& context, OnboardingStep step, bool access = true)
{
    Preferences::setValue(prefs::onboardingResumeStep, static_cast<int>(step));
    auto* view = new OnboardingView(onboardingManagers().services(context.localization, access), {});
    // The drag and the menu half done; the new folder of the watcher's animation just styled.
    holdAnimationsPartWay(view, step == OnboardingStep::watcher ? 0.7 : 0.45);
    if (!access) {
        // The step checks the access again when it is shown; a sandbox has none until the picture is taken.
        qputenv("FLATPAK_ID", "io.velmar.gallery");
        QObject::connect(view, &QObject::destroyed, [] { qunsetenv("FLATPAK_ID"); });
    }
    return view;
}

// A timed loading screen with its first label cut short, so that the picture shows the second one.
QWidget* loadingPartWay(GalleryContext& context, QList<OnboardingLoadingSequence::Label> labels, bool checkmark)
{
    labels.first().duration = std::chrono::milliseconds(1);
    auto* screen =
        new OnboardingFakeLoadingScreen(context.localization, std::move(labels), checkmark, [] { return false; }, {});
    screen->sequence().start(); // a sequence already running goes on when the screen is shown
    waitFor([screen] { return screen->sequence().currentLabelIndex() == 1; }, 1000);
    waitFor([] { return false; }, 400); // the new label's fade
    return screen;
}

// The scan of a prepared home: twelve folders in the desktop, the documents and the home itself (whatever
// else the gallery keeps in the home is passed over), each with its proposal and preview.
OnboardingSuggestionsModel& scannedModel()
{
    static OnboardingSuggestionsModel* model = [] {
        const QString home = QDir::homePath();
        for (const QString& folder : proposedFolders)
            QDir(home).mkpath(folder);
        OnboardingSuggestionsModel::Roots roots = OnboardingSuggestionsModel::Roots::of(
            {home, home + QStringLiteral("/Desktop"), home + QStringLiteral("/Documents"), {}, {}});
        for (const QString& entry : QDir(home).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (!proposedFolders.contains(entry) && entry != u"Desktop" && entry != u"Documents")
                roots.excludedNames.append(entry);
        SmartIconService& index = onboardingManagers().core.smartIcons;
        index.buildIndexIfNeeded();
        waitFor([&index] { return index.isReady(); }, 60000);
        OnboardingSuggestionsModel* made = onboardingManagers().model(roots).release();
        made->startScan();
        waitFor([made] { return made->isScanReady(); }, 60000);
        return made;
    }();
    return *model;
}

OnboardingSuggestionsModel& emptyModel()
{
    static OnboardingSuggestionsModel* model = [] {
        OnboardingSuggestionsModel* made = onboardingManagers().model().release();
        made->startScan();
        waitFor([made] { return made->isScanReady(); }, 60000);
        return made;
    }();
    return *model;
}

QWidget* suggestions(GalleryContext& context, OnboardingSuggestionsModel& model)
{
    return new OnboardingSuggestionsScreen(context.localization, model, {}, {});
}

QWidget* readyWithFailures(GalleryContext& context)
{
    return new OnboardingReadyScreen(context.localization, 3, {});
}

GalleryScene scene(const QString& name, std::function<QWidget*(GalleryContext&)> make, QString language = {})
{
    return {name, windowWidth, windowHeight, std::move(make), std::move(language)};
}

} // namespace

QList<GalleryScene> onboardingScenes()
{
    using Step = OnboardingStep;
    using Sequence = OnboardingLoadingSequence;
    QList<GalleryScene> scenes = {
        scene(QStringLiteral("onboarding-welcome"), [](GalleryContext& c) { return onboardingAt(c, Step::welcome); }),
        scene(QStringLiteral("onboarding-tutorial-drag"),
              [](GalleryContext& c) { return onboardingAt(c, Step::tutorialDrag); }),
        scene(QStringLiteral("onboarding-tutorial-rightclick"),
              [](GalleryContext& c) { return onboardingAt(c, Step::tutorialRightClick); }),
        scene(QStringLiteral("onboarding-style"), [](GalleryContext& c) { return onboardingAt(c, Step::style); }),
        scene(QStringLiteral("onboarding-languages"),
              [](GalleryContext& c) { return onboardingAt(c, Step::languages); }),
        scene(QStringLiteral("onboarding-watcher"), [](GalleryContext& c) { return onboardingAt(c, Step::watcher); }),
        scene(QStringLiteral("onboarding-access"), [](GalleryContext& c) { return onboardingAt(c, Step::fda); }),
        scene(QStringLiteral("onboarding-access-missing"),
              [](GalleryContext& c) { return onboardingAt(c, Step::fda, false); }),
        scene(QStringLiteral("onboarding-setup-loading"),
              [](GalleryContext& c) { return loadingPartWay(c, Sequence::setupLabels(), false); }),
        scene(QStringLiteral("onboarding-suggestions"),
              [](GalleryContext& c) { return suggestions(c, scannedModel()); }),
        scene(QStringLiteral("onboarding-suggestions-empty"),
              [](GalleryContext& c) { return suggestions(c, emptyModel()); }),
        scene(QStringLiteral("onboarding-apply-loading"),
              [](GalleryContext& c) { return loadingPartWay(c, Sequence::applyLabels(), true); }),
        scene(QStringLiteral("onboarding-ready"), [](GalleryContext& c) { return onboardingAt(c, Step::ready); }),
        scene(QStringLiteral("onboarding-ready-failures"), readyWithFailures),
    };
    // The longest texts, in two languages whose words run long.
    for (const QString& language : {QStringLiteral("de"), QStringLiteral("ru")}) {
        scenes.append(scene(
            QStringLiteral("onboarding-welcome-") + language,
            [](GalleryContext& c) { return onboardingAt(c, Step::welcome); }, language));
        scenes.append(scene(
            QStringLiteral("onboarding-tutorial-rightclick-") + language,
            [](GalleryContext& c) { return onboardingAt(c, Step::tutorialRightClick); }, language));
        scenes.append(scene(
            QStringLiteral("onboarding-watcher-") + language,
            [](GalleryContext& c) { return onboardingAt(c, Step::watcher); }, language));
        scenes.append(scene(
            QStringLiteral("onboarding-access-missing-") + language,
            [](GalleryContext& c) { return onboardingAt(c, Step::fda, false); }, language));
        scenes.append(scene(
            QStringLiteral("onboarding-suggestions-") + language,
            [](GalleryContext& c) { return suggestions(c, scannedModel()); }, language));
        scenes.append(scene(QStringLiteral("onboarding-ready-failures-") + language, readyWithFailures, language));
    }
    // The longest tutorial title, French, in the smallest window.
    scenes.append({QStringLiteral("onboarding-tutorial-rightclick-fr-smallest"), 780, 480,
                   [](GalleryContext& c) { return onboardingAt(c, Step::tutorialRightClick); }, QStringLiteral("fr")});
    return scenes;
}

} // namespace pigmo::gallery
