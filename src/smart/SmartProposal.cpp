#include "smart/SmartProposal.h"

#include "base/Log.h"
#include "smart/SmartIconService.h"
#include "smart/SmartSiblingAnalysis.h"

namespace pigmo::smart {

SiblingProposal proposeFromSiblings(const ExtendedAttributesManager& attributes, const QString& folderPath,
                                    const QList<ColorizationData>& extraSiblings)
{
    SmartSiblingAnalysis::Batch batch(attributes);
    return proposeFromSiblings(batch, folderPath, extraSiblings);
}

SiblingProposal proposeFromSiblings(SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                                    const QList<ColorizationData>& extraSiblings)
{
    SiblingProposal proposal;
    proposal.siblings = batch.siblingColorizations(folderPath) + extraSiblings;
    proposal.color = SmartSiblingAnalysis::suggestedColor(proposal.siblings);
    proposal.intensity = SmartSiblingAnalysis::suggestedIntensity(proposal.siblings);
    proposal.iconSize = SmartSiblingAnalysis::suggestedIconSize(proposal.siblings);
    proposal.iconStyle = SmartSiblingAnalysis::suggestedStyle(proposal.siblings);
    return proposal;
}

std::optional<Icon> proposeIcon(SmartIconService& icons, const QString& folderPath,
                                const QList<ColorizationData>& siblings)
{
    return icons.findIcon(folderPath.section(u'/', -1), siblings);
}

ColorizationData proposeStyle(SmartIconService& icons, SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                              const QString& logPrefix, std::chrono::milliseconds indexWait)
{
    const SiblingProposal proposal = proposeFromSiblings(batch, folderPath, {});
    if (!icons.waitUntilReady(indexWait)) {
        log::warning(logPrefix + QStringLiteral("Keyword index not ready after %1 ms; styling %2 without a glyph")
                                     .arg(indexWait.count())
                                     .arg(folderPath.section(u'/', -1)));
    }
    return ColorizationData{proposal.color, proposal.intensity, proposeIcon(icons, folderPath, proposal.siblings),
                            proposal.iconSize, proposal.iconStyle};
}

} // namespace pigmo::smart
