#pragma once

#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace pigmo {

class ExtendedAttributesManager;

// Proposals for a folder styled automatically, taken from the styles of the folders next to it: a hue of
// its own (the middle of the widest gap between the siblings' hues) with their average saturation and
// lightness, their average intensity and glyph size, and their most common glyph style. Stateless; every
// operation explains itself in the system log ("[Smart]") and may run on any thread.
class SmartSiblingAnalysis {
    // The numbers of a style that means are taken of: saturation, lightness, intensity and, if `sized`,
    // glyph size.
    struct Measures {
        std::array<double, 4> numbers{};
        bool styled = false;
        bool sized = false;
        static Measures of(const std::optional<ColorizationData>& style);
    };

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

    // What the proposals take from a folder's styled siblings, in their order: the same proposals follow from
    // a summary as from the list of siblings it summarizes. The means are meaningless without siblings.
    struct Summary {
        qsizetype count = 0; // styled siblings
        // Their hues within 0...360, ascending: the lowest, then each the lowest more than the minimum
        // separation above the one kept before it.
        std::vector<double> distinctHues;
        std::vector<double> hues; // their hues as stored, in order; gathered only for the diagnostic log
        double saturation = 0;    // means
        double lightness = 0;
        double intensity = 0;
        qsizetype sizedCount = 0; // siblings with a glyph size
        double iconSize = 0;      // their mean
        QList<StyleVote> votes;   // the style vote's buckets, in order of first appearance
        LibraryCounts libraries{};

        HSL suggestedColor() const;
        // The siblings' means, kept to 0...1 and 100...240; finite siblings always give a finite proposal.
        double suggestedIntensity() const;
        double suggestedIconSize() const;
        IconStyle suggestedStyle() const;
    };

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
        // `summarize(siblingColorizations(folderPath) + extraSiblings)`, with the same lines, taken from the
        // parent's running tally without copying a sibling's style. Only the means are summed anew, over the
        // folders' numbers in directory order: a running sum would round differently from the list's.
        Summary summary(const QString& folderPath, const QList<ColorizationData>& extraSiblings = {});
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
            quint64 order = 0; // rises with the place in the list
        };
        // What the styled folders of a parent add up to, kept as styles are remembered and forgotten.
        struct Tally {
            qsizetype count = 0;
            qsizetype sizedCount = 0;
            std::map<double, int> hues;                              // hue within 0...360 → folders
            std::array<std::map<quint64, IconStyle>, 4> styleVoters; // per style type: order → style
            LibraryCounts libraries{};
            void add(const Entry& entry, int sign);
        };
        struct Listing {
            bool readable = false;
            QList<Entry> folders; // the visible subfolders, in directory order
            QHash<QString, qsizetype> places;
            std::vector<Measures> measures; // the folders' numbers, in the same order
            Tally tally;
            quint64 nextOrder = 0;
            void append(const QString& path, const QString& name, const std::optional<ColorizationData>& style);
            std::optional<ColorizationData> restyle(qsizetype place, const std::optional<ColorizationData>& style);
            void removeAt(qsizetype place);
            // The summary of the styled folders but the one at `own` (none when -1), followed by `extras`.
            Summary summary(qsizetype own, const QList<ColorizationData>& extras) const;
            // The style vote's buckets of the styled folders but `own`.
            QList<StyleVote> votes(const Entry* own) const;
        };
        Listing& listing(const QString& parentPath);
        // A question about a folder's siblings as the log shows it, up to their count: the parent's listing
        // (none when unreadable), the folder's place in it (-1 when not listed) and the siblings' number.
        struct Scan {
            const Listing* listing = nullptr;
            qsizetype own = -1;
            qsizetype siblingCount = 0;
        };
        Scan scan(const QString& folderPath);

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
    // "name=count" for every bucket, in the vote's order.
    static QStringList voteSummary(const QList<StyleVote>& votes);
    // The siblings' glyphs counted by library.
    static LibraryCounts libraryCounts(const QList<ColorizationData>& siblings);
    // The siblings' summary, taken from the list itself.
    static Summary summarize(const QList<ColorizationData>& siblings);
};

} // namespace pigmo
