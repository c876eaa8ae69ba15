#pragma once

#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <array>
#include <optional>

namespace pigmo {

class ExtendedAttributesManager;

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

    // How many siblings carry a glyph of each library, indexed by `IconLibrary`: a picture of the user's own
    // counts for `custom`, a glyph of no known kind for none.
    using LibraryCounts = std::array<int, 4>;

    // The sibling scans of a batch of folders styled one after the other: each parent is listed once, on the
    // first question about one of its folders, and each sibling's attribute read once, then; later questions
    // answer from that listing. A style the batch applies is `remember`ed and counts as that folder's stored
    // style from then on, so every folder sees what a fresh scan would show. Changes made by others after
    // the listing are not seen. One batch belongs to one thread at a time.
    class Batch {
    public:
        // Reads the siblings' styles through `attributes`, which outlives the batch.
        explicit Batch(const ExtendedAttributesManager& attributes)
            : attributes_(attributes)
        {
        }

        // As `siblingColorizations(of:)`, with the same lines (per-sibling lines are diagnostic).
        QList<ColorizationData> siblingColorizations(const QString& folderPath);
        // The style just applied to a folder of the batch (a folder not listed yet joins its parent's list).
        // Returns what the folder counted as before, for `forget`.
        struct Replaced {
            bool listed = false; // the folder was in its parent's list
            std::optional<ColorizationData> style;
        };
        Replaced remember(const QString& folderPath, const ColorizationData& applied);
        // Undoes a `remember` whose style was not applied after all: the folder counts as before it.
        void forget(const QString& folderPath, const Replaced& previous);

    private:
        struct Entry {
            QString path; // cleaned
            QString name;
            std::optional<ColorizationData> style;
        };
        struct Listing {
            bool readable = false;
            QList<Entry> folders; // the visible subfolders, in directory order
            QHash<QString, qsizetype> places;
        };
        Listing& listing(const QString& parentPath);

        const ExtendedAttributesManager& attributes_;
        QHash<QString, Listing> listings_;
    };

    // The stored styles of the visible sibling folders, in directory order (the folder itself, hidden
    // entries and files are no siblings). An unreadable parent gives an empty list. One listing of the
    // parent and one attribute read per sibling; a line per sibling only in the diagnostic log.
    static QList<ColorizationData> siblingColorizations(const ExtendedAttributesManager& attributes,
                                                        const QString& folderPath);

    // The midpoint of the widest gap between the distinct hues, or a random hue for none; always within
    // 0...360, whatever the siblings hold (a hue of -90 counts as 270).
    static double largestHueGapMidpoint(const QList<HSL>& colors);
    static HSL suggestedColor(const QList<ColorizationData>& siblings);
    // The siblings' mean, kept to 0...1 (intensity) and 100...240 (icon size); finite siblings always give a
    // finite proposal.
    static double suggestedIntensity(const QList<ColorizationData>& siblings);
    static double suggestedIconSize(const QList<ColorizationData>& siblings);
    static IconStyle suggestedStyle(const QList<ColorizationData>& siblings);
    // "name=count" for every bucket, in the vote's order.
    static QStringList voteSummary(const QList<StyleVote>& votes);
    // The siblings' glyphs counted by library.
    static LibraryCounts libraryCounts(const QList<ColorizationData>& siblings);
};

} // namespace pigmo
