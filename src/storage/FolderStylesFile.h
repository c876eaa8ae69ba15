#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

#include <optional>
#include <span>
#include <vector>

// The text of the styles file ("folder_styles.json"): one JSON object whose members are folder paths,
// sorted, each with its current style. A save copies the members it read unchanged instead of encoding
// their styles again, and a read may check the styles and keep them as text, to be decoded when asked for.
namespace pigmo {

// A current style's member of the styles file ("path":style) as a save writes it: a stretch of the text it
// was read from (shared with every other member read from it, not copied), or its own encoding.
struct StyleMemberText {
    QByteArray source;
    qsizetype begin = 0;
    qsizetype size = 0;
};

struct DecodedStyles {
    QMap<QString, ColorizationData> styles; // empty when every style was kept undecoded
    QMap<QString, StyleMemberText> members; // "path":style as the file holds it, for a save to copy
    bool undecoded = false;                 // the styles are only in `members`
};

// Stretches of member texts (each sharing its text) and of "{,}", written one after another.
struct StylesText {
    std::vector<StyleMemberText> pieces;

    static StyleMemberText punctuation(qsizetype begin, qsizetype size)
    {
        static const QByteArray marks = QByteArrayLiteral("{,}");
        return {marks, begin, size};
    }
    // Appends a member after a comma (none after the opening brace); one that follows the last member in
    // the same text, after a comma there, only lengthens that piece.
    void appendMember(const StyleMemberText& member)
    {
        StyleMemberText& last = pieces.back();
        if (pieces.size() > 1) {
            const qsizetype end = last.begin + last.size;
            if (last.source.constData() == member.source.constData() && member.begin == end + 1 &&
                last.source.at(end) == ',') {
                last.size += 1 + member.size;
                return;
            }
            pieces.push_back(punctuation(1, 1));
        }
        pieces.push_back(member);
    }
    qsizetype size() const
    {
        qsizetype size = 0;
        for (const StyleMemberText& piece : pieces)
            size += piece.size;
        return size;
    }
    std::vector<QByteArrayView> views() const
    {
        std::vector<QByteArrayView> views;
        views.reserve(pieces.size());
        for (const StyleMemberText& piece : pieces)
            views.emplace_back(piece.source.constData() + piece.begin, piece.size);
        return views;
    }
};

// The file's text as a save writes it. One JSON object of the folders of both maps, in their order. Each
// member's text ("path":style) comes from `members` or is encoded once and kept there, so a save costs one
// pass over the styles: both maps are sorted alike and walked side by side. A folder only in `members` is
// one whose style was read but not decoded. The text is not put together: members that lay side by side
// in the file read stay one piece. With `below`, only the start of that text: the folders before it,
// without the closing brace.
Result<StylesText> encodeStyles(const QMap<QString, ColorizationData>& styles, QMap<QString, StyleMemberText>& members,
                                const QString* below = nullptr);
// Makes the changes (a style set, or removed: nothing) to styles held as `encodeStyles` takes them.
void applyStyleChanges(const QMap<QString, std::optional<ColorizationData>>& changes,
                       QMap<QString, ColorizationData>& styles, QMap<QString, StyleMemberText>& members);
// Whether the text of `pieces` begins with the text of `start`.
bool startsWith(std::span<const QByteArrayView> pieces, std::span<const QByteArrayView> start);

// Reads the file's text, every style decoded; only the last style of a repeated folder counts. Runs on any
// thread (it uses that thread's parser).
Result<DecodedStyles> decodeAllStyles(const QByteArray& bytes);
// Reads the file's text, every style checked (the same verdict and failure as decoding) and kept as read.
Result<DecodedStyles> decodeStylesOnDemand(const QByteArray& bytes);
// The style of a member text the file's read has checked; nothing should it fail after all.
std::optional<ColorizationData> decodeMember(const QString& folder, const StyleMemberText& member);

} // namespace pigmo
