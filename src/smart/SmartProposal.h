#pragma once

#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace pigmo {

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
SiblingProposal proposeFromSiblings(const QString& folderPath, const QList<ColorizationData>& extraSiblings);
// The same for a folder of a batch, its siblings taken from the batch's scans.
SiblingProposal proposeFromSiblings(SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                                    const QList<ColorizationData>& extraSiblings);

// The glyph for the folder's name, or nothing (also while the keyword index is not ready).
std::optional<Icon> proposeIcon(const QString& folderPath, const QList<ColorizationData>& siblings);

// The whole style of a folder that has none: waits (bounded by `indexWait`) for the keyword index, then
// proposes from the siblings (taken from `batch`'s scans) and the name. A folder proposed without a ready
// index gets no glyph, which is logged with `logPrefix`. Blocks: never on the GUI thread.
ColorizationData proposeStyle(SmartSiblingAnalysis::Batch& batch, const QString& folderPath, const QString& logPrefix,
                              std::chrono::milliseconds indexWait = std::chrono::seconds(10));

bool isIndexReady();
// Asks for a build of the keyword index unless it is ready or being built.
void requestIndex();
// Emits `indexReady()` when a build has finished (queued to the receiver's thread).
QObject* indexNotifier();
// Blocks the calling thread (never the GUI thread) until the index is ready or the timeout passed.
bool waitUntilIndexReady(std::chrono::milliseconds timeout);

} // namespace smart
} // namespace pigmo
