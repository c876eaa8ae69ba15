#pragma once

#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QList>
#include <QString>

#include <chrono>

namespace pigmo {

class SmartIconService;

// The automatic style of one folder: colour, intensity, glyph size and glyph style from its styled siblings,
// a glyph from its name. The one proposal of the editor's smart workflow, the onboarding and the folder
// styler; writes nothing.
namespace smart {

// The whole style proposed for a folder: its siblings are taken from `batch`'s scans, then `extraSiblings`
// (styles chosen but not written yet). The glyph waits for the keyword index of `icons` (bounded by
// `indexWait`; an index rebuilt meanwhile is waited for again within it); a folder proposed without a ready
// index gets no glyph, which is logged with `logPrefix`, and so does a name the index has no glyph for.
// Blocks for up to `indexWait`: on the GUI thread only with a zero wait.
ColorizationData proposeStyle(SmartIconService& icons, SmartSiblingAnalysis::Batch& batch, const QString& folderPath,
                              const QString& logPrefix, std::chrono::milliseconds indexWait = std::chrono::seconds(10),
                              const QList<ColorizationData>& extraSiblings = {});

} // namespace smart
} // namespace pigmo
