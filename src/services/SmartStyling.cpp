#include "services/SmartStyling.h"

#include "base/Log.h"
#include "platform/FolderIcons.h"
#include "render/ColorizationService.h"
#include "smart/SmartIconService.h"
#include "smart/SmartSiblingAnalysis.h"
#include "storage/ExtendedAttributesManager.h"

#include <QUrl>

namespace pigmo::smart {

SiblingProposal proposeFromSiblings(const QString& folderPath, const QList<ColorizationData>& extraSiblings)
{
    SmartSiblingAnalysis::Batch batch;
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

std::optional<Icon> proposeIcon(const QString& folderPath, const QList<ColorizationData>& siblings)
{
    return SmartIconService::shared().findIcon(folderPath.section(u'/', -1), siblings);
}

bool isIndexReady()
{
    return SmartIconService::shared().isReady();
}

void requestIndex()
{
    SmartIconService::shared().buildIndexIfNeeded();
}

QObject* indexNotifier()
{
    return &SmartIconService::shared();
}

bool waitUntilIndexReady(std::chrono::milliseconds timeout)
{
    return SmartIconService::shared().waitUntilReady(timeout);
}

Result<ColorizationData> styleFolder(const QString& folderPath, const QString& logPrefix,
                                     std::chrono::milliseconds indexWait)
{
    SmartSiblingAnalysis::Batch batch;
    return styleFolder(folderPath, batch, logPrefix, indexWait);
}

Result<ColorizationData> styleFolder(const QString& folderPath, SmartSiblingAnalysis::Batch& batch,
                                     const QString& logPrefix, std::chrono::milliseconds indexWait)
{
    const QString name = folderPath.section(u'/', -1);
    const SiblingProposal proposal = proposeFromSiblings(batch, folderPath, {});
    if (!waitUntilIndexReady(indexWait)) {
        log::warning(logPrefix + QStringLiteral("Keyword index not ready after %1 ms; styling %2 without a glyph")
                                     .arg(indexWait.count())
                                     .arg(name));
    }
    const ColorizationData data{proposal.color, proposal.intensity, proposeIcon(folderPath, proposal.siblings),
                                proposal.iconSize, proposal.iconStyle};
    const std::optional<QImage> image = ColorizationService::generateIcon(data);
    if (!image) {
        log::warning(logPrefix + QStringLiteral("Failed to generate icon for ") + folderPath);
        return Result<ColorizationData>::failure(QStringLiteral("its icon could not be drawn"));
    }
    if (!FolderIcons::setIcon(*image, folderPath)) {
        log::warning(logPrefix + QStringLiteral("❌ Failed to set icon on ") + folderPath);
        return Result<ColorizationData>::failure(QStringLiteral("its icon could not be set"));
    }
    log::system(logPrefix + QStringLiteral("✅ Applied smart icon to ") + folderPath);
    ExtendedAttributesManager::shared().writeSettings(data, folderPath);
    return data;
}

std::optional<ColorizationData> styleNewFolder(const QString& folderPath, const QString& logPrefix,
                                               std::chrono::milliseconds indexWait)
{
    return styleFolder(folderPath, logPrefix, indexWait).toOptional();
}

} // namespace pigmo::smart
