#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace pigmo {

// The automatic style of one folder: colour, intensity, glyph size and glyph style from its styled siblings,
// a glyph from its name. Shared by the editor's smart workflow and the folder watcher.
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

bool isIndexReady();
// Asks for a build of the keyword index unless it is ready or being built.
void requestIndex();
// Emits `indexReady()` when a build has finished (queued to the receiver's thread).
QObject* indexNotifier();
// Blocks the calling thread (never the GUI thread) until the index is ready or the timeout passed.
bool waitUntilIndexReady(std::chrono::milliseconds timeout);

// Styles one folder completely on the calling thread (never the GUI thread while windows are up): waits
// (bounded) for the keyword index, proposes the style, renders it, sets it as the folder's icon and writes the
// folder's attribute. The style applied, or why the folder was not styled (also logged with `logPrefix`).
Result<ColorizationData> styleFolder(const QString& folderPath, const QString& logPrefix,
                                     std::chrono::milliseconds indexWait = std::chrono::seconds(10));
// The same, for callers that only need the style applied or nothing.
std::optional<ColorizationData> styleNewFolder(const QString& folderPath, const QString& logPrefix,
                                               std::chrono::milliseconds indexWait = std::chrono::seconds(10));
// The same for a folder of a batch; the caller `remember`s the style applied in the batch.
Result<ColorizationData> styleFolder(const QString& folderPath, SmartSiblingAnalysis::Batch& batch,
                                     const QString& logPrefix,
                                     std::chrono::milliseconds indexWait = std::chrono::seconds(10));

} // namespace smart
} // namespace pigmo
