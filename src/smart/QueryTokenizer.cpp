#include "smart/QueryTokenizer.h"

#include "smart/TextFolding.h"

#include <QTextBoundaryFinder>

#include <unicode/uchar.h>

#include <vector>

namespace pigmo {
namespace {

enum class LetterCase { none, upper, lower };

// One user-perceived character of a piece and its case.
struct Grapheme {
    qsizetype start;
    qsizetype length;
    LetterCase letterCase;
};

bool isSeparator(QChar ch)
{
    return ch == u' ' || ch == u'-' || ch == u'_' || ch == u'.';
}

LetterCase asciiCase(char16_t u)
{
    if (u >= 'A' && u <= 'Z')
        return LetterCase::upper;
    if (u >= 'a' && u <= 'z')
        return LetterCase::lower;
    return LetterCase::none;
}

// The Unicode Uppercase / Lowercase properties for one code point; for a cluster of several code points,
// "upper-casing leaves it unchanged and lower-casing does not" (and the reverse for lower case).
LetterCase caseOf(QStringView grapheme)
{
    const QList<uint> points = grapheme.toUcs4();
    if (points.size() == 1) {
        const auto c = static_cast<UChar32>(points.front());
        if (u_isUUppercase(c))
            return LetterCase::upper;
        if (u_isULowercase(c))
            return LetterCase::lower;
        return LetterCase::none;
    }
    const QString text = grapheme.toString();
    const QString upper = text.toUpper();
    const QString lower = text.toLower();
    if (text == upper && text != lower)
        return LetterCase::upper;
    if (text == lower && text != upper)
        return LetterCase::lower;
    return LetterCase::none;
}

std::vector<Grapheme> graphemesOf(QStringView piece)
{
    std::vector<Grapheme> result;
    result.reserve(static_cast<size_t>(piece.size()));
    const bool ascii = std::all_of(piece.begin(), piece.end(), [](QChar ch) { return ch.unicode() < 0x80; });
    if (ascii) {
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const bool crlf = piece[i] == u'\r' && i + 1 < piece.size() && piece[i + 1] == u'\n';
            result.push_back({i, crlf ? 2 : 1, asciiCase(piece[i].unicode())});
            i += crlf ? 1 : 0;
        }
        return result;
    }
    const QString text = piece.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        if (end > start)
            result.push_back({start, end - start, caseOf(piece.sliced(start, end - start))});
        start = end;
    }
    return result;
}

// Starts of the case-change sub-pieces of one piece (always begins with 0).
std::vector<qsizetype> subPieceStarts(const std::vector<Grapheme>& graphemes)
{
    std::vector<qsizetype> starts{0};
    for (size_t i = 1; i < graphemes.size(); ++i) {
        if (graphemes[i].letterCase != LetterCase::upper)
            continue;
        const LetterCase before = graphemes[i - 1].letterCase;
        const bool lowerAfter = i + 1 < graphemes.size() && graphemes[i + 1].letterCase == LetterCase::lower;
        if (before == LetterCase::lower || (before == LetterCase::upper && lowerAfter))
            starts.push_back(graphemes[i].start);
    }
    return starts;
}

void appendWord(QStringList& words, QStringView text)
{
    QString word = text::lowercasedAndFolded(text.toString());
    if (text::hasAtLeastGraphemes(word, 2))
        words.append(std::move(word));
}

void appendPiece(QStringList& words, QStringView piece)
{
    const std::vector<qsizetype> starts = subPieceStarts(graphemesOf(piece));
    if (starts.size() > 1)
        appendWord(words, piece);
    for (size_t i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : piece.size();
        appendWord(words, piece.sliced(starts[i], end - starts[i]));
    }
}

} // namespace

QStringList tokenize(const QString& text)
{
    QStringList words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSeparator(text.at(i)))
            continue;
        if (i > start)
            appendPiece(words, QStringView(text).sliced(start, i - start));
        start = i + 1;
    }
    return words;
}

} // namespace pigmo
