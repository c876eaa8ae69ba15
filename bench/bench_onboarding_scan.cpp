// The onboarding's scan of a home with 2,000 folders spread over the desktop, the documents and the home
// itself: from the start of the scan, with the keyword index ready, until the twelve proposals with their
// previews are published (target: at most 1 s).
#include "services/OnboardingSuggestionsModel.h"

#include "platform/UserDirectories.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

using pigmo::OnboardingSuggestionsModel;

constexpr int folderCount = 2000;

// A home of `folderCount` folders named after what people keep, a third in each root.
OnboardingSuggestionsModel::Roots preparedHome(const QTemporaryDir& home)
{
    const QStringList words{QStringLiteral("Invoices"), QStringLiteral("Photos"),  QStringLiteral("Music"),
                            QStringLiteral("Travel"),   QStringLiteral("Recipes"), QStringLiteral("Projects"),
                            QStringLiteral("Games"),    QStringLiteral("Books"),   QStringLiteral("School"),
                            QStringLiteral("Work")};
    const QString root = home.path();
    const QStringList lists{root + QStringLiteral("/Desktop"), root + QStringLiteral("/Documents"), root};
    for (int i = 0; i < folderCount; ++i)
        QDir().mkpath(lists[i % 3] + QStringLiteral("/%1 %2").arg(words[i % words.size()]).arg(i));
    return OnboardingSuggestionsModel::Roots::of({root, lists[0], lists[1], QString(), QString()});
}

void BM_ProposalsAfterIndexReady(benchmark::State& state)
{
    pigmo::test::CoreServices services;
    pigmo::SmartIconService& icons = services.smartIcons;
    if (!icons.waitUntilReady(std::chrono::seconds(60))) {
        state.SkipWithError("keyword index not ready");
        return;
    }
    const QTemporaryDir home(QDir::homePath() + QStringLiteral("/bench-onboarding-XXXXXX"));
    const OnboardingSuggestionsModel::Roots roots = preparedHome(home);
    pigmo::FolderStyler styler(services.executors, services.history, services.attributes, icons);
    qsizetype proposals = 0;
    for (auto _ : state) {
        OnboardingSuggestionsModel model({icons, services.attributes, styler}, roots);
        model.startScan();
        while (!model.isScanReady())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        proposals = model.suggestions().size();
    }
    state.counters["proposals"] = double(proposals);
}
BENCHMARK(BM_ProposalsAfterIndexReady)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
