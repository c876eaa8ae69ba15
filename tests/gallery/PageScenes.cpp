// The gallery's pictures of the settings page (each menu open once, the automation section with and
// without folder access) and of the history page (both tabs, with entries and empty).

#include "GalleryScene.h"

#include "ui/history/HistoryFixture.h"
#include "ui/history/HistoryView.h"
#include "ui/settings/AutomationSection.h"
#include "ui/settings/SettingsFixture.h"
#include "ui/settings/SettingsMenu.h"
#include "ui/settings/SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace pigmo::gallery {
namespace {

// The managers of the settings scenes, made once for the whole gallery over its scratch home: three watched
// folders with styling on, and a second folder-access manager that has no access.
struct PageManagers {
    test::SettingsManagers managers;
    FDAPermissionManager withoutAccess;
    QTemporaryDir watched{QDir::homePath() + QStringLiteral("/Watched-XXXXXX")};

    PageManagers()
    {
        QStringList folders;
        for (const char* name : {"Projects", "Downloads", "Client work 2025 (archive)"}) {
            folders.append(watched.filePath(QString::fromUtf8(name)));
            QDir().mkpath(folders.last());
        }
        managers.folderWatcher.setWatchedDirectories(folders);
        managers.folderWatcher.setEnabled(true);
        managers.folderLanguages.setSelectedLanguages(
            {QStringLiteral("en"), QStringLiteral("fr"), QStringLiteral("de")});
        managers.fullDiskAccess.checkPermission();
        qputenv("FLATPAK_ID", "io.velmar.gallery"); // a sandbox never has folder access
        withoutAccess.checkPermission();
        qunsetenv("FLATPAK_ID");
    }

    SettingsServices services(bool access)
    {
        SettingsServices all = managers.services();
        return {all.appearance,      all.displayMode,  all.localization,
                all.folderLanguages, all.iconStyle,    access ? all.fullDiskAccess : withoutAccess,
                all.folderWatcher,   all.launchAtLogin};
    }
};

PageManagers& pageManagers()
{
    static auto* made = new PageManagers;
    return *made;
}

// The settings page shown in a window of the main window's size with one row's menu open; the picture is the
// menu.
QWidget* openMenu(SettingsMenuRow* (SettingsView::*row)() const)
{
    auto* view = new SettingsView(pageManagers().services(true));
    view->resize(700, 900);
    view->show();
    QApplication::processEvents();
    (view->*row)()->setMenuPresented(true);
    return (view->*row)()->menu();
}

// A store over a data directory of its own, so that the other scenes' history is neither shown nor changed.
ColorizationHistoryStore* storeIn(const QString& dataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.toUtf8());
    auto* store = new ColorizationHistoryStore;
    qputenv("XDG_DATA_HOME", saved);
    return store;
}

// A store that has never seen a file.
ColorizationHistoryStore& emptyStore()
{
    static QTemporaryDir home;
    static ColorizationHistoryStore* store = [] {
        ColorizationHistoryStore* made = storeIn(home.path());
        made->loadChronologicalLog();
        return made;
    }();
    return *store;
}

// A long log, and styled folders in two parents.
ColorizationHistoryStore& fullStore()
{
    static QTemporaryDir home;
    static ColorizationHistoryStore* store = [] {
        ColorizationHistoryStore* made = storeIn(home.path());
        test::writeLog(*made, 10000, QDir::homePath() + QStringLiteral("/Documents/Clients"));
        made->loadChronologicalLog();
        const double hues[] = {10, 35, 52, 140, 200, 220, 280};
        const char* names[] = {"Invoices", "Music", "Photos 2024", "Recipes", "A very long folder name indeed",
                               "Taxes",    "Travel"};
        for (int index = 0; index < 7; ++index) {
            const QString parent =
                QDir::homePath() + (index < 5 ? QStringLiteral("/Documents") : QStringLiteral("/Pictures"));
            made->record(parent + u'/' + QString::fromUtf8(names[index]), test::styleWithHue(hues[index]));
        }
        return made;
    }();
    return *store;
}

QWidget* history(GalleryContext& context, ColorizationHistoryStore& store, HistoryView::Tab tab)
{
    auto* view = new HistoryView(store, context.localization, context.executors);
    view->setCurrentTab(tab);
    return view;
}

} // namespace

QList<GalleryScene> pageScenes()
{
    return {
        {QStringLiteral("settings-page"), 700, 860,
         [](GalleryContext&) { return static_cast<QWidget*>(new SettingsView(pageManagers().services(true))); }},
        {QStringLiteral("settings-menu-appearance"), 0, 0,
         [](GalleryContext&) { return openMenu(&SettingsView::themeRow); }},
        {QStringLiteral("settings-menu-display"), 0, 0,
         [](GalleryContext&) { return openMenu(&SettingsView::displayRow); }},
        {QStringLiteral("settings-menu-language"), 0, 0,
         [](GalleryContext&) { return openMenu(&SettingsView::languageRow); }},
        {QStringLiteral("settings-menu-folder-languages"), 0, 0,
         [](GalleryContext&) { return openMenu(&SettingsView::folderLanguagesRow); }},
        {QStringLiteral("settings-menu-icon-style"), 0, 0,
         [](GalleryContext&) { return openMenu(&SettingsView::iconStyleRow); }},
        {QStringLiteral("settings-automation"), 450, 0,
         [](GalleryContext&) { return static_cast<QWidget*>(new AutomationSection(pageManagers().services(true))); }},
        {QStringLiteral("settings-automation-no-access"), 450, 0,
         [](GalleryContext&) { return static_cast<QWidget*>(new AutomationSection(pageManagers().services(false))); }},
        {QStringLiteral("history-all-changes"), 900, 500,
         [](GalleryContext& c) { return history(c, fullStore(), HistoryView::Tab::chronological); }},
        {QStringLiteral("history-all-changes-empty"), 900, 500,
         [](GalleryContext& c) { return history(c, emptyStore(), HistoryView::Tab::chronological); }},
        {QStringLiteral("history-current-styles"), 900, 500,
         [](GalleryContext& c) { return history(c, fullStore(), HistoryView::Tab::folderStyles); }},
        {QStringLiteral("history-current-styles-empty"), 900, 500,
         [](GalleryContext& c) { return history(c, emptyStore(), HistoryView::Tab::folderStyles); }},
    };
}

} // namespace pigmo::gallery
