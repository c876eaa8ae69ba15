#pragma once

#include "model/ColorizationData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace pigmo {

// Proposals for a folder styled automatically, taken from the styles of the folders next to it: a hue of
// its own (the middle of the widest gap between the siblings' hues) with their average saturation and
// lightness, their average intensity and glyph size, and their most common glyph style. Stateless; every
// operation explains itself in the system log ("[Smart]") and may run on any thread.
class SmartSiblingAnalysis {
public:
    // One bucket of the style vote: "vibrant", "original", "inverted" or "color" (every colour style), its
    // count and the style of the first sibling that used it.
    struct StyleVote {
        QString name;
        int count = 0;
        IconStyle style;
    };

    // The stored styles of the visible sibling folders, in directory order (the folder itself, hidden
    // entries and files are no siblings). An unreadable parent gives an empty list.
    static QList<ColorizationData> siblingColorizations(const QString& folderPath);
    // A directory other than the folder itself (symbolic links are not followed).
    static bool isSiblingFolder(const QString& candidatePath, const QString& folderPath);

    // The midpoint of the widest gap between the distinct hues, or a random hue for none.
    static double largestHueGapMidpoint(const QList<HSL>& colors);
    static HSL suggestedColor(const QList<ColorizationData>& siblings);
    // The siblings' mean, kept to 0...1 (intensity) and 100...240 (icon size); finite siblings always give a
    // finite proposal.
    static double suggestedIntensity(const QList<ColorizationData>& siblings);
    static double suggestedIconSize(const QList<ColorizationData>& siblings);
    static IconStyle suggestedStyle(const QList<ColorizationData>& siblings);
    // "name=count" for every bucket, in the vote's order.
    static QStringList voteSummary(const QList<StyleVote>& votes);
};

} // namespace pigmo
