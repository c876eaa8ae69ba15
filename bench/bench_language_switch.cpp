// Switching the interface language while the settings page and the history page are open: from the
// choice to every label re-laid out and both pages painted again.

#include "base/Executors.h"
#include "fulldiskaccess/FDAPermissionManager.h"
#include "platform/Autostart.h"
#include "services/AppearanceManager.h"
#include "services/DisplayModeManager.h"
#include "services/FolderLanguagesManager.h"
#include "services/FolderWatcherService.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LaunchAtLoginManager.h"
#include "services/LocalizationManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/history/HistoryFixture.h"
#include "ui/history/HistoryView.h"
#include "ui/settings/SettingsView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {

using namespace pigmo;

void BM_LanguageSwitchRelabelsOpenViews(benchmark::State& state)
{
    AppearanceManager appearance{AppearanceBackend{[] { return std::optional<bool>(false); }, [](bool) {}}};
    DisplayModeManager displayMode;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    FolderLanguagesManager folderLanguages{QStringLiteral("en"), [] {}};
    IconStylePreferenceManager iconStyle;
    FDAPermissionManager fullDiskAccess;
    FolderWatcherService folderWatcher{FolderWatcherService::Dependencies{[] { return true; }, nullptr}};
    LaunchAtLoginManager launchAtLogin{LoginItemService{[] { return false; }, [] { return std::optional<QString>(); },
                                                        [] { return std::optional<QString>(); }}};
    ColorizationHistoryStore store;
    test::writeLog(store, 10000, QStringLiteral("/home/bench/Work"));
    store.loadChronologicalLog();

    SettingsView settings(SettingsServices{appearance, displayMode, localization, folderLanguages, iconStyle,
                                           fullDiskAccess, folderWatcher, launchAtLogin});
    Executors executors;
    HistoryView history(store, localization, executors);
    QImage frame(QSize(900, 560), QImage::Format_ARGB32_Premultiplied);
    for (QWidget* page : {static_cast<QWidget*>(&settings), static_cast<QWidget*>(&history)}) {
        page->resize(frame.size());
        page->setAttribute(Qt::WA_DontShowOnScreen);
        page->show();
    }
    QApplication::processEvents();
    const QStringList languages{QStringLiteral("de"), QStringLiteral("ja"), QStringLiteral("ru"), QStringLiteral("en")};
    int next = 0;
    for (auto _ : state) {
        localization.setCurrentLanguage(languages[next++ % languages.size()]);
        QApplication::processEvents(); // the layouts the new texts asked for
        for (QWidget* page : {static_cast<QWidget*>(&settings), static_cast<QWidget*>(&history)}) {
            QPainter painter(&frame);
            page->render(&painter);
        }
    }
}
BENCHMARK(BM_LanguageSwitchRelabelsOpenViews)->Unit(benchmark::kMillisecond);

} // namespace
