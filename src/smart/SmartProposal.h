#pragma once

#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace pigmo {

class ExtendedAttributesManager;
class SmartIconService;

// The automatic style of one folder: colour, intensity, glyph size and glyph style from its styled siblings,
// a glyph from its name. Shared by the editor's smart workflow and the folder styler; writes nothing.
namespace smart {

struct SiblingProposal {
    QList<ColorizationData> siblings; // the styled siblings on disk, then the extra ones
    HSL color;
    double intensity = 0;
    double iconSize = 0;
    IconStyle iconStyle = IconStyle::vibrant();
};

// Reads the folder's siblings (a directory listing and one attribute read each) on the calling thread.
SiblingProposal proposeFromSiblings(const ExtendedAttributesManager& attributes, const QString& folderPath,
                                    const QList<ColorizationData>& extraSiblings);
// The same for a folder of a batch, its siblings taken from the batch's scans.
SiblingProposal proposeFromSiblings(SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                                    const QList<ColorizationData>& extraSiblings);

// The glyph `icons` proposes for the folder's name, or nothing (also while its index is not ready).
std::optional<Icon> proposeIcon(SmartIconService& icons, const QString& folderPath,
                                const QList<ColorizationData>& siblings);

// The whole style of a folder that has none: waits (bounded by `indexWait`) for the keyword index of
// `icons`, then proposes from the siblings (taken from `batch`'s scans) and the name. A folder proposed
// without a ready index gets no glyph, which is logged with `logPrefix`. Blocks: never on the GUI thread.
ColorizationData proposeStyle(SmartIconService& icons, SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                              const QString& logPrefix, std::chrono::milliseconds indexWait = std::chrono::seconds(10));

} // namespace smart
} // namespace pigmo
