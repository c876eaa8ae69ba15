#include "app/SmartStyler.h"

#include "model/Log.h"
#include "platform/FolderIcons.h"
#include "render/ColorizationService.h"
#include "smart/SiblingAnalysis.h"
#include "smart/SmartIconService.h"
#include "storage/ExtendedAttributesManager.h"

#include <QFileInfo>
#include <QUrl>

namespace pigmo {

SmartStyler::SmartStyler(SmartIconService& index, std::chrono::milliseconds wait)
    : index_(index)
    , wait_(wait)
{
}

std::optional<Icon> SmartStyler::glyph(const QString& folderName, const QList<ColorizationData>& siblings) const
{
    if (!index_.waitUntilReady(wait_)) {
        log::system(QStringLiteral("[SmartIcon] Keyword index not ready after %1 ms; styling \"%2\" without a glyph")
                        .arg(wait_.count())
                        .arg(folderName));
        return std::nullopt;
    }
    return index_.findIcon(folderName, siblings);
}

std::optional<ColorizationData> SmartStyler::style(const QString& folderPath) const
{
    const QUrl folder = QUrl::fromLocalFile(folderPath);
    const QList<ColorizationData> siblings = SmartSiblingAnalysis::siblingColorizations(folder);
    ColorizationData data;
    data.color = SmartSiblingAnalysis::suggestedColor(siblings);
    data.intensity = SmartSiblingAnalysis::suggestedIntensity(siblings);
    data.icon = glyph(QFileInfo(folderPath).fileName(), siblings);
    data.iconSize = SmartSiblingAnalysis::suggestedIconSize(siblings);
    data.iconStyle = SmartSiblingAnalysis::suggestedStyle(siblings);

    const std::optional<QImage> image = ColorizationService::generateIcon(data);
    if (!image || !FolderIcons::setIcon(*image, folderPath))
        return std::nullopt;
    ExtendedAttributesManager::shared().writeSettings(data, folder);
    return data;
}

} // namespace pigmo
