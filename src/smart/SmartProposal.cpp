#include "smart/SmartProposal.h"

#include "base/Log.h"
#include "smart/SmartIconService.h"
#include "smart/SmartSiblingAnalysis.h"

#include <algorithm>
#include <optional>

namespace pigmo::smart {

namespace {

// The glyph for the folder's name once the index is ready (waited for until `deadline`), and whether it was.
std::pair<std::optional<Icon>, bool> glyphFor(SmartIconService& icons, const QString& name,
                                              const SmartSiblingAnalysis::LibraryCounts& siblingGlyphs,
                                              std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    while (icons.waitUntilReady(std::max(0ms, duration_cast<milliseconds>(deadline - steady_clock::now())))) {
        std::optional<Icon> icon = icons.findIcon(name, siblingGlyphs);
        // No glyph from a ready index is its answer; from one that a rebuild took away meanwhile, it is not.
        if (icon || icons.isReady())
            return {std::move(icon), true};
    }
    return {std::nullopt, false};
}

} // namespace

ColorizationData proposeStyle(SmartIconService& icons, SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                              const QString& logPrefix, std::chrono::milliseconds indexWait,
                              const QList<ColorizationData>& extraSiblings)
{
    const SmartSiblingAnalysis::Summary siblings = batch.summary(folderPath, extraSiblings);
    const QString name = folderPath.section(u'/', -1);
    auto [icon, ready] = glyphFor(icons, name, siblings.libraries, std::chrono::steady_clock::now() + indexWait);
    if (!ready) {
        log::warning(logPrefix + QStringLiteral("Keyword index not ready after %1 ms; styling %2 without a glyph")
                                     .arg(indexWait.count())
                                     .arg(name));
    }
    return ColorizationData{siblings.suggestedColor(), siblings.suggestedIntensity(), std::move(icon),
                            siblings.suggestedIconSize(), siblings.suggestedStyle()};
}

} // namespace pigmo::smart
